package com.vantora.adminserver.demo;

import com.vantora.adminserver.helper.ws.IISConfigure;
import java.io.IOException;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

/**
 * Runs every native method of IISConfigure against a copy of a simulated host image, or against a
 * server captured as its MetaBase.xml and registry exports, and shows what it found and what changed.
 *
 * <p>The simulated host reads WINSIM_HOST when the library first calls the platform,
 * and a JVM cannot change its own environment, so the calls run in a child JVM.
 */
public final class Demo {
    static final String USAGE = "usage: demo.sh [IMAGE.json | --metabase METABASE.xml [--registry FILE.reg ...]"
            + " [--export-metabase OUT.xml]]";

    private Demo() {
    }

    public static void main(String[] args) throws IOException, InterruptedException {
        System.exit(run(args, System.out, System.err));
    }

    static int run(String[] args, PrintStream out, PrintStream err) throws IOException, InterruptedException {
        Path folder = Files.createTempDirectory("iisconfigure-demo");
        Path image = folder.resolve("host.json");
        Path journal = folder.resolve("journal.jsonl");
        String source;
        Path exportTo = null;
        HostImage before;
        try {
            if (args.length > 0 && args[0].equals("--metabase")) {
                HostImageTool.Options o = HostImageTool.Options.parse(args, 1);
                if (o.base() != null) {
                    throw new IllegalArgumentException();
                }
                Map<String, Object> imported = HostImageTool.fromMetabase(o.file(), o.registries(), null);
                Files.writeString(image, Json.write(imported));
                before = HostImage.ofParsed(imported);
                source = o.file() + String.join("", o.registries().stream().map(r -> " + " + r).toList());
                exportTo = o.exportTo();
            } else if (args.length <= 1) {
                Path from = args.length == 1 ? Paths.get(args[0]) : HostImageTool.stockImage();
                if (!Files.isRegularFile(from)) {
                    throw new BadInput(from.toString(), 0, "no such file");
                }
                Files.copy(from, image);
                source = from.toString();
                before = HostImage.read(image);
            } else {
                throw new IllegalArgumentException();
            }
        } catch (BadInput | IllegalArgumentException e) {
            err.println(e instanceof BadInput ? e.getMessage() : USAGE);  // refused input or a usage error
            return 2;
        }
        out.println("Host: " + source + " (working image " + image + ")");
        out.println();
        out.flush();
        int status = runCalls(image, journal);
        if (status != 0) {
            err.println("the calls ended with exit status " + status);
            return 1;
        }
        Map<String, Object> afterImage;
        try {
            afterImage = HostImageTool.readImage(image);
        } catch (BadInput e) {
            err.println(e.getMessage());
            return 1;
        }
        HostImage after = HostImage.ofParsed(afterImage);
        long calls = Files.exists(journal) ? Files.lines(journal).count() : 0;
        out.println();
        out.println("What changed (" + calls + " platform calls, journal " + journal + "):");
        ImageDiff.lines(before, after).forEach(line -> out.println("  " + line));
        if (exportTo != null) {
            try {
                String xml = MetabaseXml.write(HostImageTool.metabase(afterImage, image.toString()), image.toString());
                Files.write(exportTo, xml.getBytes(StandardCharsets.UTF_8));
                out.println();
                out.println("The changed metabase is in " + exportTo);
            } catch (BadInput e) {
                err.println(e.getMessage());
                return 1;
            }
        }
        return 0;
    }

    /** Runs the demo's calls in a child JVM on the image; its exit status. */
    static int runCalls(Path image, Path journal) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>();
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        // a short run: the first compiler tier and one garbage collector thread start and finish sooner
        command.add("-XX:TieredStopAtLevel=1");
        command.add("-XX:+UseSerialGC");
        command.add("-cp");
        // where the classes came from rather than java.class.path, which a test launcher does not fill
        command.add(jarOf(DemoCalls.class) + java.io.File.pathSeparator + jarOf(IISConfigure.class));
        command.add(DemoCalls.class.getName());
        ProcessBuilder builder = new ProcessBuilder(command).inheritIO();
        builder.environment().put("WINSIM_HOST", image.toString());
        builder.environment().put("WINSIM_JOURNAL", journal.toString());
        return builder.start().waitFor();
    }

    private static String jarOf(Class<?> type) {
        try {
            return Paths.get(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
        } catch (java.net.URISyntaxException e) {
            throw new IllegalStateException(e);
        }
    }
}
