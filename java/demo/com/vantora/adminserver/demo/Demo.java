package com.vantora.adminserver.demo;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.List;

/**
 * Runs every native method of IISConfigure against a copy of a simulated host image
 * and shows what it found and what changed.
 *
 * <p>The simulated host reads WINSIM_HOST when the library first calls the platform,
 * and a JVM cannot change its own environment, so the calls run in a child JVM.
 */
public final class Demo {
    private Demo() {
    }

    public static void main(String[] args) throws IOException, InterruptedException {
        if (args.length > 1) {
            System.err.println("usage: Demo [host-image.json]");
            System.exit(2);
        }
        Path source = Paths.get(args.length == 1 ? args[0]
                : System.getProperty("iisconfigure.stockImage", "hosts/iis6-stock.json"));
        Path folder = Files.createTempDirectory("iisconfigure-demo");
        Path image = folder.resolve("host.json");
        Path journal = folder.resolve("journal.jsonl");
        Files.copy(source, image, StandardCopyOption.REPLACE_EXISTING);
        HostImage before = HostImage.read(image);

        System.out.println("Host image: " + source + " (working copy " + image + ")");
        System.out.println();
        int status = runCalls(image, journal);
        if (status != 0) {
            System.err.println("the calls ended with exit status " + status);
            System.exit(1);
        }
        HostImage after = HostImage.read(image);
        long calls = Files.exists(journal) ? Files.readAllLines(journal).size() : 0;

        System.out.println();
        System.out.println("What changed in the host (" + calls + " platform calls, journal " + journal + "):");
        for (String line : ImageDiff.lines(before, after)) {
            System.out.println("  " + line);
        }
    }

    private static int runCalls(Path image, Path journal) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>();
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        command.add("-cp");
        command.add(System.getProperty("java.class.path"));
        command.add(DemoCalls.class.getName());
        ProcessBuilder builder = new ProcessBuilder(command).inheritIO();
        builder.environment().put("WINSIM_HOST", image.toString());
        builder.environment().put("WINSIM_JOURNAL", journal.toString());
        return builder.start().waitFor();
    }
}
