package com.vantora.adminserver.preview;

import com.vantora.winsim.image.ImageModel;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.ImageModel.RegistryKey;
import com.vantora.winsim.image.ImageModel.RegistryValue;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Names;
import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/**
 * Writes a registry file as Windows' own editor writes and imports one: version 5, UTF-16LE with a byte
 * order mark, CRLF, hex data wrapped where the editor wraps it.
 */
final class RegExport {
    static final String HEADER = "Windows Registry Editor Version 5.00";
    /** The editor breaks a hex line once it holds this many characters, before its closing backslash. */
    private static final int HEX_LINE = 77;

    private static final Map<String, String> HIVES = Map.of("HKLM", "HKEY_LOCAL_MACHINE", "HKCU", "HKEY_CURRENT_USER",
            "HKCR", "HKEY_CLASSES_ROOT", "HKU", "HKEY_USERS");

    private final StringBuilder text = new StringBuilder(HEADER).append("\r\n");

    /** {@code [path]}: the key, made when it is missing, whose values follow. */
    RegExport key(String path) {
        text.append("\r\n[").append(writable(path, "key")).append("]\r\n");
        return this;
    }

    /** {@code [-path]}: the key and everything under it deleted. */
    RegExport deleteKey(String path) {
        text.append("\r\n[-").append(writable(path, "key")).append("]\r\n");
        return this;
    }

    RegExport deleteValue(String name) {
        text.append(name(name)).append("-\r\n");
        return this;
    }

    /** The value in its own type: text as text where it can be, a DWORD as dword:, anything else as hex. */
    RegExport value(RegistryValue value) {
        String prefix = name(value.name());
        long type = value.type() == null ? 0 : value.type();
        byte[] bytes = value.hex() != null ? ImageValues.unhex(value.hex()) : ImageValues.registryBytes(type, value.data());
        if (type == 1 && value.data() instanceof String s && quotable(s)) {
            text.append(prefix).append(quote(s)).append("\r\n");
        } else if (type == 4 && value.data() instanceof Long n) {
            text.append(prefix).append(String.format("dword:%08x", n)).append("\r\n");
        } else {
            hex(prefix + (type == 3 ? "hex:" : "hex(" + Long.toHexString(type) + "):"), bytes == null ? new byte[0] : bytes);
        }
        return this;
    }

    /** The key and all below it, each key's values after its line. */
    RegExport tree(RegistryKey key, String path) {
        key(path);
        for (RegistryValue value : ImageModel.each(key.values())) {
            value(value);
        }
        for (RegistryKey child : ImageModel.each(key.children())) {
            tree(child, path + "\\" + child.name());
        }
        return this;
    }

    /** A key of an image and its path as the image spells it. */
    record Found(RegistryKey key, String path) {
    }

    /**
     * The key of an image at {@code path} (its hive spelled out or as HKLM, HKCU, HKCR, HKU), names compared
     * as Windows compares them; null when the image has none.
     */
    static Found find(Image image, String path) {
        String[] names = path.split("\\\\");
        String hive = HIVES.getOrDefault(names[0].toUpperCase(Locale.ROOT), names[0]);
        Map.Entry<String, RegistryKey> root = image.registry() == null ? null : image.registry().entrySet().stream()
                .filter(h -> Names.same(h.getKey(), hive)).findFirst().orElse(null);
        if (root == null) {
            return null;
        }
        RegistryKey key = root.getValue();
        StringBuilder spelled = new StringBuilder(root.getKey());
        for (int i = 1; i < names.length && key != null; i++) {
            String name = names[i];
            key = ImageModel.each(key.children()).stream().filter(k -> Names.same(k.name(), name)).findFirst().orElse(null);
            spelled.append('\\').append(key == null ? "" : key.name());
        }
        return key == null ? null : new Found(key, spelled.toString());
    }

    byte[] bytes() {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.write(0xFF);
        out.write(0xFE);
        out.writeBytes(text.append("\r\n").toString().getBytes(StandardCharsets.UTF_16LE));
        return out.toByteArray();
    }


    private static String name(String name) {
        return name.isEmpty() ? "@=" : quote(writable(name, "value")) + "=";
    }

    /** A name the file cannot hold, said in one line. */
    static final class Unwritable extends IllegalArgumentException {
        private static final long serialVersionUID = 1L;

        Unwritable(String problem) {
            super(problem);
        }
    }

    /**
     * A name as it is, unless it holds what would end its line (or a key's brackets) early: the rest would be
     * read as lines of its own, keys and values the image never had.
     */
    private static String writable(String name, String what) {
        boolean breaks = name.indexOf('\r') >= 0 || name.indexOf('\n') >= 0 || name.indexOf('\0') >= 0;
        if (breaks || what.equals("key") && name.indexOf(']') >= 0) {
            throw new Unwritable(what + " " + Json.quote(name) + " cannot be written to a registry file: "
                    + (breaks ? "its name holds a line break or NUL" : "its name holds ]"));
        }
        return name;
    }

    /** A line break or NUL would end the quoted text early on import; such text goes as hex. */
    private static boolean quotable(String s) {
        return s.indexOf('\r') < 0 && s.indexOf('\n') < 0 && s.indexOf('\0') < 0;
    }

    private static String quote(String s) {
        return "\"" + s.replace("\\", "\\\\").replace("\"", "\\\"") + "\"";
    }

    private void hex(String prefix, byte[] bytes) {
        text.append(prefix);
        int line = prefix.length();
        for (int i = 0; i < bytes.length; i++) {
            text.append(Character.forDigit((bytes[i] >> 4) & 0xF, 16)).append(Character.forDigit(bytes[i] & 0xF, 16));
            if (i + 1 == bytes.length) {
                break;
            }
            text.append(',');
            line += 3;
            if (line >= HEX_LINE) {
                text.append("\\\r\n  ");
                line = 2;
            }
        }
        text.append("\r\n");
    }
}
