package com.vantora.adminserver.preview;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.Json;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** Moves a captured server into a host image and back, and reads images, refusing what is not one. */
public final class HostImageTool {
    private HostImageTool() {
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

    public static Map<String, Object> metabase(Map<String, Object> image, String file) throws BadInput {
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

    public static Map<String, Object> readImage(Path file) throws BadInput {
        return read(file).json();
    }

    public static Path stockImage() {
        return Path.of(System.getProperty("iisconfigure.stockImage", "hosts/iis6-stock.json"));
    }

    @SuppressWarnings("unchecked")
    public static Map<String, Object> cast(Object map) {
        return (Map<String, Object>) map;
    }
}
