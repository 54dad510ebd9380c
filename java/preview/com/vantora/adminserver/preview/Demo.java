package com.vantora.adminserver.preview;

import com.vantora.adminserver.helper.ws.IISConfigure;
import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.Json;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;
import java.io.Writer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.FutureTask;

/**
 * Runs every native method of IISConfigure against a copy of a simulated host image, or against a
 * server captured as its MetaBase.xml and registry exports, and shows what it found and what changed.
 *
 * <p>The simulated host reads WINSIM_HOST when the library first calls the platform,
 * and a JVM cannot change its own environment, so the calls run in a child JVM.
 */
public final class Demo {
    private Demo() {
    }

    /**
     * What the demo runs on: the image to copy, its facts, where it came from and where to export to. The
     * facts of an image made here are worked out while the calls run, so they are asked for, not given.
     */
    record Host(Image json, Path file, Callable<HostImage> facts, String source, Path exportTo) {
    }

    /** Runs the calls on a copy of the host, already read and checked, in a working folder under {@code temporary}. */
    static int run(Host host, PrintStream out, PrintStream err, Path temporary) throws IOException, InterruptedException {
        Path folder = Files.createTempDirectory(temporary, "iisconfigure-demo");
        Path image = folder.resolve("host.json");
        Path journal = folder.resolve("journal.jsonl");
        // the child JVM starts while the image is written, and waits to be told it is there
        Process child = startCalls(image, journal);
        try {
            if (host.file() != null) {
                Files.copy(host.file(), image);
            } else {
                try (Writer file = Files.newBufferedWriter(image)) {  // a large image, without a copy as one string
                    Json.write(host.json(), file);
                }
            }
        } catch (IOException | RuntimeException e) {
            child.destroy();
            throw e;
        }
        out.println("Host: " + host.source() + " (working image " + image + ")");
        out.println();
        out.flush();
        // the child JVM leaves this one a core to spare; and since this one only waits for the calls, its
        // garbage so far is collected then rather than in pauses while it reads the image they leave
        FutureTask<HostImage> before = new FutureTask<>(() -> {
            HostImage found = host.facts().call();
            System.gc();
            return found;
        });
        Thread facts = new Thread(before, "facts of the image before");
        facts.setDaemon(true);
        facts.start();
        int status = go(child);
        if (status != 0) {
            err.println("the calls ended with exit status " + status);
            return 1;
        }
        HostImageTool.Read after;
        try {
            after = HostImageTool.read(image);
        } catch (BadInput e) {
            err.println(e.getMessage());
            return 1;
        }
        long calls = Files.exists(journal) ? Files.lines(journal).count() : 0;
        out.println();
        out.println("What changed (" + calls + " platform calls, journal " + journal + "):");
        ImageDiff.lines(done(before), after.facts()).forEach(line -> out.println("  " + line));
        if (host.exportTo() != null) {
            try {
                String xml = MetabaseXml.write(HostImageTool.metabase(after.image(), image.toString()), image.toString());
                Files.write(host.exportTo(), xml.getBytes(StandardCharsets.UTF_8));
                out.println();
                out.println("The changed metabase is in " + host.exportTo());
            } catch (BadInput e) {
                err.println(e.getMessage());
                return 1;
            }
        }
        return 0;
    }

    /** Runs the demo's calls in a child JVM on the image; its exit status. */
    static int runCalls(Path image, Path journal) throws IOException, InterruptedException {
        return go(startCalls(image, journal));
    }

    /** Tells the child JVM the image is there, with a line on its input; its exit status. */
    private static int go(Process calls) throws IOException, InterruptedException {
        try (OutputStream input = calls.getOutputStream()) {
            input.write('\n');
        } catch (IOException e) {
            // it has already ended, and its status says how
        }
        return calls.waitFor();
    }

    /** The child JVM of the calls, started and waiting for a line on its input. */
    private static Process startCalls(Path image, Path journal) throws IOException {
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
        ProcessBuilder builder = new ProcessBuilder(command).redirectOutput(ProcessBuilder.Redirect.INHERIT)
                .redirectError(ProcessBuilder.Redirect.INHERIT);
        builder.environment().put("WINSIM_HOST", image.toString());
        builder.environment().put("WINSIM_JOURNAL", journal.toString());
        return builder.start();
    }

    private static HostImage done(FutureTask<HostImage> facts) throws InterruptedException {
        try {
            return facts.get();
        } catch (ExecutionException e) {
            if (e.getCause() instanceof RuntimeException cause) {
                throw cause;
            }
            throw new IllegalStateException(e.getCause());
        }
    }

    private static String jarOf(Class<?> type) {
        try {
            return Paths.get(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
        } catch (java.net.URISyntaxException e) {
            throw new IllegalStateException(e);
        }
    }
}
