package com.vantora.adminserver.preview;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.Json;
import java.io.PrintStream;
import java.io.PrintWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.Callable;
import picocli.CommandLine;
import picocli.CommandLine.Command;
import picocli.CommandLine.Model.CommandSpec;
import picocli.CommandLine.Option;
import picocli.CommandLine.ParameterException;
import picocli.CommandLine.Parameters;
import picocli.CommandLine.Spec;

/**
 * The preview tool's command line: the demo, the conversions between a captured server and a host image, and
 * the differences between two images. A refused input is one line on standard error naming the file, the line
 * and the problem, with exit status 2 and nothing on standard output; so is a usage error, with the usage.
 */
@Command(name = "preview", customSynopsis = "host-image.sh from-metabase ... | to-metabase ... | to-reg ..."
        + " | verify ... | generate ...;  demo.sh [IMAGE.json | --metabase ...]", subcommands = {
            Preview.DemoCommand.class, Preview.FromMetabase.class, Preview.ToMetabase.class, Preview.ToReg.class,
            Preview.VerifyCommand.class, Preview.Diff.class})
public final class Preview implements Callable<Integer> {
    @Spec
    CommandSpec spec;
    @Option(names = {"-h", "--help"}, usageHelp = true, description = "Show the commands.")
    boolean help;
    private final PrintStream out;
    private final PrintStream err;
    private final Path temporary;

    private Preview(PrintStream out, PrintStream err, Path temporary) {
        this.out = out;
        this.err = err;
        this.temporary = temporary;
    }

    public static void main(String[] args) {
        System.exit(run(args, System.out, System.err, Path.of(System.getProperty("java.io.tmpdir"))));
    }

    /** The exit status; {@code temporary} is where the demo makes its working folder. */
    static int run(String[] args, PrintStream out, PrintStream err, Path temporary) {
        return execute(new Preview(out, err, temporary), args, out, err);
    }

    /** Runs a command of the tools: a usage error or a refused input is one line on {@code err} and status 2. */
    public static int execute(Object command, String[] args, PrintStream out, PrintStream err) {
        CommandLine line = new CommandLine(command);
        line.setOut(new PrintWriter(out, true, StandardCharsets.UTF_8));
        line.setUsageHelpWidth(400);
        line.setParameterExceptionHandler((e, ignored) -> {
            err.println("usage: " + e.getCommandLine().getCommandSpec().usageMessage().customSynopsis()[0]
                    + "  (" + e.getMessage().replaceAll("\\s+", " ") + ")");
            return 2;
        });
        line.setExecutionExceptionHandler((e, ignored, result) -> {
            if (e instanceof BadInput) {
                err.println(e.getMessage());
                return 2;
            }
            throw e;
        });
        return line.execute(args);
    }

    /** Text to standard output as UTF-8, whatever the platform's encoding. */
    public static void print(PrintStream out, String text) {
        byte[] bytes = text.getBytes(StandardCharsets.UTF_8);
        out.write(bytes, 0, bytes.length);
        out.flush();
    }

    @Override
    public Integer call() {
        throw new ParameterException(spec.commandLine(), "a command is needed");
    }

    private void print(String text) {
        print(out, text);
    }

    @Command(name = "demo", description = "Runs the library's calls on a copy of a host and shows what changed.",
            customSynopsis = "demo.sh [IMAGE.json | --metabase METABASE.xml [--registry FILE.reg ...]"
            + " [--export-metabase OUT.xml] [--export-registry OUT.reg] [--change-set DIR]] [--calls FILE]")
    static final class DemoCommand implements Callable<Integer> {
        @CommandLine.ParentCommand
        Preview tool;
        @Spec
        CommandSpec spec;
        @Parameters(arity = "0..1", paramLabel = "IMAGE.json")
        Path image;
        @Option(names = "--metabase", paramLabel = "METABASE.xml")
        Path metabase;
        @Option(names = "--registry", paramLabel = "FILE.reg")
        List<Path> registries = new ArrayList<>();
        @Option(names = "--export-metabase", paramLabel = "OUT.xml")
        Path exportMetabase;
        @Option(names = "--export-registry", paramLabel = "OUT.reg")
        Path exportRegistry;
        @Option(names = "--change-set", paramLabel = "DIR")
        Path changeSet;
        @Option(names = "--calls", paramLabel = "FILE")
        Path calls;

        @Override
        public Integer call() throws Exception {
            boolean captureOnly = !registries.isEmpty() || exportMetabase != null || exportRegistry != null || changeSet != null;
            if (metabase == null ? captureOnly : image != null) {
                throw new ParameterException(spec.commandLine(), "an image, or a metabase with its options");
            }
            List<List<String>> sequence = calls == null ? Calls.demo() : Calls.read(calls);
            if (changeSet != null) {
                ChangeSetFiles.checkFolder(changeSet);
            }
            Demo.Host host;
            List<ChangeSet.Capture> captures = new ArrayList<>();
            if (metabase != null) {
                Image imported = HostImageTool.fromMetabase(metabase, registries, null, captures);
                String source = metabase + String.join("", registries.stream().map(r -> " + " + r).toList());
                host = new Demo.Host(imported, null, () -> HostImage.of(imported), source);
            } else {
                Path from = image != null ? image : HostImageTool.stockImage();
                HostImage facts = HostImageTool.read(from).facts();
                host = new Demo.Host(null, from, () -> facts, from.toString());
            }
            return Demo.run(host, new Demo.Run(sequence, exportMetabase, exportRegistry, changeSet, captures),
                    tool.out, tool.err, tool.temporary);
        }
    }

    @Command(name = "from-metabase", description = "Writes the host image of a captured server.", customSynopsis = "host-image.sh from-metabase METABASE.xml"
            + " [--registry FILE.reg ...] [--base IMAGE.json]")
    static final class FromMetabase implements Callable<Integer> {
        @CommandLine.ParentCommand
        Preview tool;
        @Parameters(paramLabel = "METABASE.xml")
        Path metabase;
        @Option(names = "--registry", paramLabel = "FILE.reg")
        List<Path> registries = new ArrayList<>();
        @Option(names = "--base", paramLabel = "IMAGE.json")
        Path base;

        @Override
        public Integer call() throws BadInput {
            tool.print(Json.writePretty(HostImageTool.fromMetabase(metabase, registries, base)) + "\n");
            return 0;
        }
    }

    /** A command that writes out what one image holds. */
    abstract static class OnImage implements Callable<Integer> {
        @CommandLine.ParentCommand
        Preview tool;
        @Parameters(paramLabel = "IMAGE.json")
        Path image;
    }

    @Command(name = "to-metabase", description = "Writes an image's metabase as a MetaBase.xml.", customSynopsis = "host-image.sh to-metabase IMAGE.json")
    static final class ToMetabase extends OnImage {
        @Override
        public Integer call() throws BadInput {
            tool.print(MetabaseXml.write(HostImageTool.metabase(HostImageTool.readImage(image), image.toString()),
                    image.toString()));
            return 0;
        }
    }

    @Command(name = "to-reg", description = "Writes registry keys of an image as a registry file.",
            customSynopsis = "host-image.sh to-reg IMAGE.json [--key HKLM\\PATH ...]")
    static final class ToReg extends OnImage {
        @Option(names = "--key", paramLabel = "HKLM\\PATH")
        List<String> keys = new ArrayList<>();

        @Override
        public Integer call() throws BadInput {
            Image read = HostImageTool.readImage(image);
            RegExport reg = new RegExport();
            for (String key : keys.isEmpty() ? List.of("HKEY_LOCAL_MACHINE") : keys) {
                RegExport.Found found = RegExport.find(read, key);
                if (found == null) {
                    throw new BadInput(image.toString(), 0, "no key " + key);
                }
                try {
                    reg.tree(found.key(), found.path());
                } catch (RegExport.Unwritable e) {
                    throw new BadInput(image.toString(), 0, e.getMessage());
                }
            }
            tool.out.writeBytes(reg.bytes());
            tool.out.flush();
            return 0;
        }
    }

    @Command(name = "verify", description = "Says whether the server changed as previewed, between two captures of it.",
            customSynopsis = "host-image.sh verify CHANGE.json --before METABASE.xml [--before-registry FILE.reg ...]"
            + " --after METABASE.xml [--after-registry FILE.reg ...]")
    static final class VerifyCommand implements Callable<Integer> {
        @CommandLine.ParentCommand
        Preview tool;
        @Parameters(paramLabel = "CHANGE.json")
        Path change;
        @Option(names = "--before", required = true, paramLabel = "METABASE.xml")
        Path before;
        @Option(names = "--before-registry", paramLabel = "FILE.reg")
        List<Path> beforeRegistries = new ArrayList<>();
        @Option(names = "--after", required = true, paramLabel = "METABASE.xml")
        Path after;
        @Option(names = "--after-registry", paramLabel = "FILE.reg")
        List<Path> afterRegistries = new ArrayList<>();

        @Override
        public Integer call() throws BadInput {
            ChangeSet previewed = Verify.read(change);
            List<ChangeSet.Capture> captures = new ArrayList<>();
            Image was = HostImageTool.fromMetabase(before, beforeRegistries, null, captures);
            Verify.checkCaptures(previewed, captures, change.toString());
            Image is = HostImageTool.fromMetabase(after, afterRegistries, null);
            List<String> lines = Verify.differences(previewed, ChangeSet.between(was, is, List.of(), List.of()));
            tool.print(lines.isEmpty() ? "as previewed\n" : String.join("\n", lines) + "\n");
            return lines.isEmpty() ? 0 : 1;
        }
    }

    @Command(name = "diff", description = "Lists what changed between two images, or an image's facts.", customSynopsis = "preview diff BEFORE.json AFTER.json | preview diff IMAGE.json (its facts)")
    static final class Diff implements Callable<Integer> {
        @CommandLine.ParentCommand
        Preview tool;
        @Parameters(arity = "1..2", paramLabel = "IMAGE.json")
        List<Path> images;

        @Override
        public Integer call() throws BadInput {
            List<HostImage> read = new ArrayList<>();
            for (Path image : images) {
                read.add(HostImageTool.read(image).facts());
            }
            List<String> lines = read.size() == 1 ? read.get(0).lines() : ImageDiff.lines(read.get(0), read.get(1));
            tool.print(lines.stream().map(l -> l + "\n").reduce("", String::concat));
            return 0;
        }
    }
}
