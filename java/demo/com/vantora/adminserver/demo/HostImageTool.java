package com.vantora.adminserver.demo;

import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * Moves a captured server into a host image and back: {@code from-metabase}, {@code to-metabase}, and
 * {@code generate}, which writes a MetaBase.xml of many sites. A refused input is one line on standard
 * error naming the file, the line and the problem, exit status 2 and nothing on standard output.
 */
public final class HostImageTool {
    static final String USAGE = "usage: host-image.sh from-metabase METABASE.xml [--registry FILE.reg ...]"
            + " [--base IMAGE.json] | to-metabase IMAGE.json | generate --sites N [--seed S]";

    private HostImageTool() {
    }

    public static void main(String[] args) {
        System.exit(run(args, System.out, System.err));
    }

    /** Arguments that do not make a command; the answer is the usage line. */
    static final class Usage extends Exception {
        private static final long serialVersionUID = 1L;
    }

    static int run(String[] args, PrintStream out, PrintStream err) {
        try {
            String text = switch (args.length == 0 ? "" : args[0]) {
                case "from-metabase" -> {
                    Options o = Options.parse(args, 1);
                    if (o.exportTo() != null) {
                        throw new Usage();
                    }
                    yield Json.writePretty(fromMetabase(o.file, o.registries, o.base)) + "\n";
                }
                case "to-metabase" -> {
                    if (args.length != 2) {
                        throw new Usage();
                    }
                    yield MetabaseXml.write(metabase(readImage(Path.of(args[1])), args[1]), args[1]);
                }
                case "generate" -> {
                    if (args.length != 3 && args.length != 5 || !args[1].equals("--sites")
                            || args.length == 5 && !args[3].equals("--seed") || !args[2].matches("[0-9]{1,7}")
                            || args.length == 5 && !args[4].matches("-?[0-9]{1,18}")) {
                        throw new Usage();
                    }
                    yield MetabaseXml.write(MetabaseGenerator.generate(Integer.parseInt(args[2]),
                            args.length == 5 ? Long.parseLong(args[4]) : 1, stockImage()), "generated");
                }
                default -> throw new Usage();
            };
            byte[] bytes = text.getBytes(StandardCharsets.UTF_8);
            out.write(bytes, 0, bytes.length);
            out.flush();
            return 0;
        } catch (BadInput e) {
            err.println(e.getMessage());
            return 2;
        } catch (Usage e) {
            err.println(USAGE);
            return 2;
        }
    }

    /** The arguments after the command: one file, then {@code --registry R} (repeated) and {@code --base B}. */
    record Options(Path file, List<Path> registries, Path base, Path exportTo) {
        static Options parse(String[] args, int from) throws Usage {
            if (args.length <= from || args[from].startsWith("--")) {
                throw new Usage();
            }
            List<Path> registries = new ArrayList<>();
            Path base = null;
            Path exportTo = null;
            for (int i = from + 1; i < args.length; i += 2) {
                if (i + 1 == args.length) {
                    throw new Usage();
                }
                Path value = Path.of(args[i + 1]);
                switch (args[i]) {
                    case "--registry" -> registries.add(value);
                    case "--base" -> base = value;
                    case "--export-metabase" -> exportTo = value;
                    default -> throw new Usage();
                }
            }
            return new Options(Path.of(args[from]), registries, base, exportTo);
        }
    }

    /** The base image (the stock one when null) with the file's metabase and the exports' registry keys. */
    public static Map<String, Object> fromMetabase(Path metabase, List<Path> registries, Path base) throws BadInput {
        Map<String, Object> image = readImage(base == null ? stockImage() : base);
        Map<String, Object> tree = MetabaseXml.read(Input.bytes(metabase), metabase.toString());
        Object iis = image.get("iis");
        Map<String, Object> iisObject = iis instanceof Map<?, ?> ? cast(iis) : new LinkedHashMap<>();
        iisObject.put("metabase", tree);
        image.put("iis", iisObject);
        Map<String, Object> registry = cast(image.computeIfAbsent("registry", k -> new LinkedHashMap<>()));
        Map<String, Object> hklm = cast(registry.computeIfAbsent("HKEY_LOCAL_MACHINE", k -> RegFile.key("")));
        for (Path reg : registries) {
            RegFile.merge(Input.bytes(reg), reg.toString(), hklm);
        }
        return image;
    }

    static Map<String, Object> metabase(Map<String, Object> image, String file) throws BadInput {
        if (image.get("iis") instanceof Map<?, ?> iis && iis.get("metabase") instanceof Map<?, ?> tree) {
            return cast(tree);
        }
        throw new BadInput(file, 0, "the image has no IIS metabase");
    }

    /** An image file as parsed and as facts, refused when it is not JSON, not an image or beyond the limits. */
    record Image(Map<String, Object> json, HostImage facts) {
    }

    static Image read(Path file) throws BadInput {
        String name = file.toString();
        Object json;
        try {
            json = Json.parse(Input.utf8(Input.bytes(file), name));
        } catch (Json.Malformed e) {
            throw new BadInput(name, e.line, e.getMessage());
        }
        if (!(json instanceof Map<?, ?>)) {
            throw new BadInput(name, 0, "not a host image (not a JSON object)");
        }
        try {
            return new Image(cast(json), HostImage.ofParsed(json));
        } catch (IllegalArgumentException e) {
            throw new BadInput(name, 0, "not a host image: " + e.getMessage());
        }
    }

    static Map<String, Object> readImage(Path file) throws BadInput {
        return read(file).json();
    }

    static Path stockImage() {
        return Path.of(System.getProperty("iisconfigure.stockImage", "hosts/iis6-stock.json"));
    }

    @SuppressWarnings("unchecked")
    static Map<String, Object> cast(Object map) {
        return (Map<String, Object>) map;
    }
}
