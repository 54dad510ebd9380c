package com.vantora.adminserver.preview;

import com.vantora.winsim.image.ImageModel.RegistryKey;
import com.vantora.winsim.image.ImageModel.RegistryValue;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Limits;
import com.vantora.winsim.image.Names;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/** A registry export (.reg, version 5) merged into an image's HKEY_LOCAL_MACHINE tree. */
public final class RegFile {
    private static final String HIVE = "HKEY_LOCAL_MACHINE";
    private static final Pattern HEX = Pattern.compile("hex(?:\\(([0-9a-fA-F]{1,8})\\))?:(.*)", Pattern.DOTALL);

    private RegFile() {
    }

    /**
     * Creates the file's keys under {@code hklm} (a key as the image holds it) and sets its values, a value
     * of the same name keeping its place; the paths of the keys the file holds. Nothing is changed when the
     * file is refused.
     */
    public static List<String> merge(byte[] bytes, String file, Map<String, RegistryKey> registry) throws BadInput {
        List<String[]> lines = logicalLines(decode(bytes, file));
        if (lines.isEmpty() || !lines.get(0)[1].strip().equals(RegExport.HEADER)) {
            throw new BadInput(file, 1, "not a registry export: the first line must be \"" + RegExport.HEADER + "\"");
        }
        List<Change> changes = new ArrayList<>();
        String[] key = null;
        for (String[] entry : lines.subList(1, lines.size())) {
            int line = Integer.parseInt(entry[0]);
            String text = entry[1].strip();
            if (text.isEmpty() || text.startsWith(";")) {
                continue;
            }
            if (text.startsWith("[")) {
                String path = text.substring(1, text.endsWith("]") ? text.length() - 1 : text.length());
                if (!text.endsWith("]")) {
                    throw new BadInput(file, line, "a key line must end with ]");
                }
                if (path.startsWith("-")) {
                    throw new BadInput(file, line, "deletes key " + path.substring(1) + "; an import only adds");
                }
                key = path.split("\\\\");
                if (!key[0].equalsIgnoreCase(HIVE)) {
                    throw new BadInput(file, line, "key " + path + " is outside " + HIVE);
                }
                if (key.length - 1 > Limits.KEY_DEPTH) {
                    throw new BadInput(file, line, Limits.keyDepthProblem("key"));
                }
                changes.add(new Change(key, null));
            } else if (key == null) {
                throw new BadInput(file, line, "a value before the first key");
            } else {
                changes.add(new Change(key, value(text, file, line, String.join("\\", key))));
            }
        }
        List<String> paths = new ArrayList<>();
        for (Change change : changes) {
            if (change.value() == null) {
                paths.add(String.join("\\", change.key()));
            }
        }
        RegistryKey hklm = registry.compute(HIVE, (k, v) -> v == null ? RegistryKey.empty("") : complete(v));
        for (Change change : changes) {
            RegistryKey target = child(hklm, change.key());
            if (change.value() != null) {
                setValue(target, change.value());
            }
        }
        return paths;
    }

    private record Change(String[] key, RegistryValue value) {
    }

    private static String decode(byte[] b, String file) throws BadInput {
        boolean utf16 = b.length >= 2 && (b[0] & 0xFF) == 0xFF && (b[1] & 0xFF) == 0xFE;
        boolean bom8 = b.length >= 3 && (b[0] & 0xFF) == 0xEF && (b[1] & 0xFF) == 0xBB && (b[2] & 0xFF) == 0xBF;
        Charset charset = utf16 ? StandardCharsets.UTF_16LE : StandardCharsets.UTF_8;
        int skip = utf16 ? 2 : bom8 ? 3 : 0;
        try {
            return charset.newDecoder().decode(ByteBuffer.wrap(b, skip, b.length - skip)).toString();
        } catch (CharacterCodingException e) {
            throw new BadInput(file, 0, "neither UTF-16LE with a byte order mark nor UTF-8");
        }
    }

    /** {line number, text} with continued lines (a trailing backslash) joined. */
    private static List<String[]> logicalLines(String text) {
        List<String[]> out = new ArrayList<>();
        String[] lines = text.split("\r\n|\r|\n", -1);
        for (int i = 0; i < lines.length; i++) {
            int first = i;
            StringBuilder joined = new StringBuilder(lines[i].stripTrailing());
            while (joined.length() > 0 && joined.charAt(joined.length() - 1) == '\\' && i + 1 < lines.length) {
                joined.setLength(joined.length() - 1);
                joined.append(lines[++i].strip());
            }
            out.add(new String[] {Integer.toString(first + 1), joined.toString()});
        }
        return out;
    }

    private static RegistryValue value(String text, String file, int line, String keyPath) throws BadInput {
        int at = 0;
        StringBuilder name = new StringBuilder();
        if (text.startsWith("@")) {
            at = 1;
        } else {
            at = quoted(text, 0, name);
            if (at < 0) {
                throw new BadInput(file, line, "expected \"name\"=value or @=value");
            }
        }
        if (at >= text.length() || text.charAt(at) != '=') {
            throw new BadInput(file, line, "expected = after the value name");
        }
        if (name.indexOf("\0") >= 0) {
            throw new BadInput(file, line, "a value name holds a NUL, which no registry file can give back");
        }
        String data = text.substring(at + 1).strip();
        String what = "value " + (at == 1 ? "@" : Json.quote(name.toString())) + " of " + keyPath;
        if (data.equals("-")) {
            throw new BadInput(file, line, "deletes " + what + "; an import only adds");
        }
        StringBuilder string = new StringBuilder();
        Matcher hex = HEX.matcher(data);
        if (data.startsWith("\"")) {
            if (quoted(data, 0, string) != data.length()) {
                throw new BadInput(file, line, what + ": a string must be one quoted text");
            }
            if ((string.length() + 1L) * 2 > Limits.VALUE_BYTES) {
                throw new BadInput(file, line, Limits.valueProblem(what));
            }
            return RegistryValue.of(name.toString(), 1, ImageValues.registryForm(1, ImageValues.registryBytes(1, string.toString())));
        }
        if (data.matches("dword:[0-9a-fA-F]{1,8}")) {
            return RegistryValue.of(name.toString(), 4, Map.entry("data", Long.parseLong(data.substring(6), 16)));
        }
        if (hex.matches()) {
            long type = hex.group(1) == null ? 3 : Long.parseLong(hex.group(1), 16);
            byte[] bytes = bytes(hex.group(2));
            if (bytes == null) {
                throw new BadInput(file, line, what + ": hex bytes must be two digits each, separated by commas");
            }
            if (bytes.length > Limits.VALUE_BYTES) {
                throw new BadInput(file, line, Limits.valueProblem(what));
            }
            return RegistryValue.of(name.toString(), type, ImageValues.registryForm(type, bytes));
        }
        throw new BadInput(file, line, what + ": expected a quoted string, dword:, hex: or hex(N):");
    }

    /** Reads "text" with \\ and \" escapes from {@code from}; the index after the closing quote, or -1. */
    private static int quoted(String s, int from, StringBuilder out) {
        if (from >= s.length() || s.charAt(from) != '"') {
            return -1;
        }
        for (int i = from + 1; i < s.length(); i++) {
            char c = s.charAt(i);
            if (c == '"') {
                return i + 1;
            }
            if (c == '\\' && i + 1 < s.length()) {
                c = s.charAt(++i);
            }
            out.append(c);
        }
        return -1;
    }

    private static byte[] bytes(String text) {
        String compact = text.replaceAll("\\s", "");
        if (compact.isEmpty()) {
            return new byte[0];
        }
        String[] pieces = compact.split(",", -1);
        byte[] bytes = new byte[pieces.length];
        for (int i = 0; i < pieces.length; i++) {
            if (!pieces[i].matches("[0-9a-fA-F]{2}")) {
                return null;
            }
            bytes[i] = (byte) Integer.parseInt(pieces[i], 16);
        }
        return bytes;
    }

    private static RegistryKey child(RegistryKey hklm, String[] names) {
        RegistryKey key = hklm;
        for (int i = 1; i < names.length; i++) {
            if (names[i].isEmpty()) {
                continue;
            }
            RegistryKey found = null;
            List<RegistryKey> children = key.children();
            for (int j = 0; j < children.size() && found == null; j++) {
                if (Names.same(names[i], children.get(j).name())) {
                    found = complete(children.get(j));  // the first, as the host finds it
                    children.set(j, found);
                }
            }
            if (found == null) {
                found = RegistryKey.empty(names[i]);
                children.add(found);
            }
            key = found;
        }
        return key;
    }

    /** The key with lists to add to, where the image left them out. */
    private static RegistryKey complete(RegistryKey key) {
        return key.values() != null && key.children() != null ? key : new RegistryKey(key.name(),
                key.values() == null ? new ArrayList<>() : key.values(), key.children() == null ? new ArrayList<>() : key.children(),
                key.more());
    }

    private static void setValue(RegistryKey key, RegistryValue value) {
        List<RegistryValue> values = key.values();
        for (int i = 0; i < values.size(); i++) {
            RegistryValue old = values.get(i);
            if (Names.same(old.name(), value.name())) {
                values.set(i, new RegistryValue(old.name(), value.type(), value.data(), value.hex(), value.more()));
                return;
            }
        }
        values.add(value);
    }
}
