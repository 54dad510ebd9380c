package com.vantora.adminserver.preview;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.Iis;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import com.vantora.winsim.image.ImageModel.RegistryKey;
import com.vantora.winsim.image.Json;
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
    public static Image fromMetabase(Path metabase, List<Path> registries, Path base) throws BadInput {
        return fromMetabase(metabase, registries, base, new ArrayList<>());
    }

    /** The same, adding to {@code captures} each captured file as it was read. */
    static Image fromMetabase(Path metabase, List<Path> registries, Path base, List<ChangeSet.Capture> captures)
            throws BadInput {
        Image image = readImage(base == null ? stockImage() : base);
        byte[] xml = Input.bytes(metabase);
        MetabaseKey tree = MetabaseXml.read(xml, metabase.toString());
        captures.add(new ChangeSet.Capture("metabase", metabase.toString(), ChangeSetFiles.sha256(xml), null));
        Iis iis = image.iis() == null ? new Iis(tree, null, null, new LinkedHashMap<>()) : image.iis().withMetabase(tree);
        Map<String, RegistryKey> registry = image.registry() == null ? new LinkedHashMap<>() : image.registry();
        registry.computeIfAbsent("HKEY_LOCAL_MACHINE", k -> RegistryKey.empty(""));
        for (Path reg : registries) {
            byte[] bytes = Input.bytes(reg);
            List<String> keys = RegFile.merge(bytes, reg.toString(), registry);
            captures.add(new ChangeSet.Capture("registry", reg.toString(), ChangeSetFiles.sha256(bytes), keys));
        }
        return image.withIisAndRegistry(iis, registry);
    }

    public static MetabaseKey metabase(Image image, String file) throws BadInput {
        if (image.iis() == null || image.iis().metabase() == null) {
            throw new BadInput(file, 0, "the image has no IIS metabase");
        }
        return image.iis().metabase();
    }

    /** An image file as bound and as facts, refused when it is not JSON, not an image or beyond the limits. */
    record Read(Image image, HostImage facts) {
    }

    static Read read(Path file) throws BadInput {
        String name = file.toString();
        try {
            Image image = Json.image(Input.utf8(Input.bytes(file), name));
            return new Read(image, HostImage.of(image));
        } catch (Json.Malformed e) {
            throw new BadInput(name, e.line, e.getMessage());
        } catch (IllegalArgumentException e) {
            throw new BadInput(name, 0, "not a host image: " + e.getMessage());
        }
    }

    public static Image readImage(Path file) throws BadInput {
        return read(file).image();
    }

    public static Path stockImage() {
        return Path.of(System.getProperty("iisconfigure.stockImage", "hosts/iis6-stock.json"));
    }
}
