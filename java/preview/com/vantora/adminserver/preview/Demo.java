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
     * What the demo runs on: the image to copy, its facts and where it came from. The facts of an image made
     * here are worked out while the calls run, so they are asked for, not given.
     */
    record Host(Image json, Path file, Callable<HostImage> facts, String source) {
    }

    /**
     * What runs and what is kept: the calls, and where the changed metabase, the library's registry keys and
     * the change set go (each may be null); the captures the host was imported from.
     */
    record Run(List<List<String>> calls, Path exportMetabase, Path exportRegistry, Path changeSet,
            List<ChangeSet.Capture> captures) {
    }

    /** The keys under which the library writes: the Jakarta redirector's, PHP's and the machine environment. */
    static final List<String> LIBRARY_KEYS = List.of(
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector",
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\PHP",
            "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");

    /** Runs the calls on a copy of the host, already read and checked, in a working folder under {@code temporary}. */
    static int run(Host host, Run run, PrintStream out, PrintStream err, Path temporary)
            throws IOException, InterruptedException {
        Path folder = Files.createTempDirectory(temporary, "iisconfigure-demo");
        Path image = folder.resolve("host.json");
        Path journal = folder.resolve("journal.jsonl");
        Path calls = Calls.write(run.calls(), folder.resolve("calls.txt"));
        // the child JVM starts while the image is written, and waits to be told it is there
        Process child = startCalls(image, journal, calls);
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
            Files.copy(answers(folder), out);
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
        ChangeSet change = null;
        if (run.changeSet() != null) {
            change = ChangeSet.between(host.json(), after.image(), run.captures(),
                    run.calls().stream().map(Calls::line).toList());
            try {
                ChangeSetFiles.checkCaptured(change);
            } catch (BadInput e) {
                err.println(e.getMessage());
                try (var inside = Files.walk(folder)) {  // its own files only: a walk does not follow links
                    for (Path file : inside.sorted(java.util.Comparator.reverseOrder()).toList()) {
                        Files.delete(file);
                    }
                }
                return 2;
            }
        }
        // what the calls answered is shown once nothing is refused, so that a refusal is its one line alone
        out.println("Host: " + host.source() + " (working image " + image + ")");
        out.println();
        out.flush();
        Files.copy(answers(folder), out);
        long platformCalls = 0;
        if (Files.exists(journal)) {
            try (var lines = Files.lines(journal)) {
                platformCalls = lines.count();
            }
        }
        out.println();
        out.println("What changed (" + platformCalls + " platform calls, journal " + journal + "):");
        ImageDiff.lines(done(before), after.facts()).forEach(line -> out.println("  " + line));
        Path writing = null;
        try {
            if (run.exportMetabase() != null) {
                writing = run.exportMetabase();
                String xml = MetabaseXml.write(HostImageTool.metabase(after.image(), image.toString()), image.toString());
                Output.replace(writing, xml.getBytes(StandardCharsets.UTF_8));
                out.println();
                out.println("The changed metabase is in " + writing);
            }
            if (run.exportRegistry() != null) {
                writing = run.exportRegistry();
                RegExport reg = new RegExport();
                for (String key : LIBRARY_KEYS) {
                    RegExport.Found found = RegExport.find(after.image(), key);
                    if (found != null) {
                        reg.tree(found.key(), found.path());
                    }
                }
                Output.replace(writing, reg.bytes());
                out.println();
                out.println("The library's registry keys, changed, are in " + writing);
            }
            if (change != null) {
                writing = run.changeSet();
                ChangeSetFiles.write(change, writing);
                out.println();
                out.println("The change set is in " + writing + ": " + ChangeSetFiles.PLAN + " says what to run");
            }
        } catch (BadInput | RegExport.Unwritable e) {
            err.println(e.getMessage());
            return 1;
        } catch (IOException e) {
            // the file system's own messages name only the path
            String why = e instanceof java.nio.file.NoSuchFileException ? "no such folder"
                    : e instanceof java.nio.file.AccessDeniedException ? "permission denied"
                    : e instanceof java.nio.file.FileAlreadyExistsException ? "made by someone else meanwhile"
                    : e instanceof java.nio.file.FileSystemException f && f.getReason() != null ? f.getReason() : e.getMessage();
            err.println(writing + ": cannot write: " + why);
            return 1;
        }
        return 0;
    }

    /** Runs the calls of a file, already checked, in a child JVM on the image; its exit status. */
    static int runCalls(Path image, Path journal, Path calls) throws IOException, InterruptedException {
        return go(startCalls(image, journal, calls));
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
    private static Process startCalls(Path image, Path journal, Path calls) throws IOException {
        List<String> command = new ArrayList<>();
        command.add(Paths.get(System.getProperty("java.home"), "bin", "java").toString());
        command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
        // a short run: the first compiler tier and one garbage collector thread start and finish sooner
        command.add("-XX:TieredStopAtLevel=1");
        command.add("-XX:+UseSerialGC");
        command.add("-cp");
        // where the classes came from rather than java.class.path, which a test launcher does not fill
        command.add(jarOf(Calls.class) + java.io.File.pathSeparator + jarOf(IISConfigure.class));
        command.add(Calls.class.getName());
        command.add(calls.toString());
        ProcessBuilder builder = new ProcessBuilder(command).redirectOutput(answers(image.getParent()).toFile())
                .redirectError(ProcessBuilder.Redirect.INHERIT);
        builder.environment().put("WINSIM_HOST", image.toString());
        builder.environment().put("WINSIM_JOURNAL", journal.toString());
        return builder.start();
    }

    private static Path answers(Path folder) {
        return folder.resolve("answers.txt");
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
