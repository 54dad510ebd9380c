package com.vantora.adminserver.demo;

import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.HexFormat;
import java.util.List;

/** The bytes behind metabase records and registry values, and the forms an image gives them in. */
final class ImageValues {
    private static final HexFormat HEX = HexFormat.of();

    private ImageValues() {
    }

    static String hex(byte[] bytes) {
        return HEX.formatHex(bytes);
    }

    /** The bytes of even-length hex in either case, or null. */
    static byte[] unhex(String text) {
        if (text.length() % 2 != 0 || !text.chars().allMatch(c -> Character.digit(c, 16) >= 0)) {
            return null;
        }
        return HEX.parseHex(text);
    }

    /** Text stored with its one closing NUL, or null when the bytes are not that. */
    static String text(byte[] bytes) {
        String s = utf16(bytes);
        return s != null && s.endsWith("\0") && s.indexOf('\0') == s.length() - 1 ? s.substring(0, s.length() - 1) : null;
    }

    /** Non-empty entries each closed by a NUL and the list by one more (a lone NUL is the empty list), or null. */
    static List<String> list(byte[] bytes) {
        String s = utf16(bytes);
        if (s == null || !s.endsWith("\0")) {
            return null;
        }
        if (s.length() == 1) {
            return List.of();
        }
        if (!s.endsWith("\0\0")) {
            return null;
        }
        List<String> entries = Arrays.asList(s.substring(0, s.length() - 2).split("\0", -1));
        return entries.contains("") ? null : entries;
    }

    static Long dword(byte[] b) {
        return b.length != 4 ? null
                : (b[0] & 0xFFL) | (b[1] & 0xFFL) << 8 | (b[2] & 0xFFL) << 16 | (b[3] & 0xFFL) << 24;
    }

    /** The bytes an image's {@code value}/{@code data} stands for: a number, text or a list of entries. */
    static byte[] bytes(Object value) {
        if (value instanceof Long n) {
            return new byte[] {(byte) (long) n, (byte) (n >> 8), (byte) (n >> 16), (byte) (n >> 24)};
        }
        if (value instanceof String s) {
            return (s + "\0").getBytes(StandardCharsets.UTF_16LE);
        }
        if (value instanceof List<?> entries) {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            entries.forEach(e -> out.writeBytes((e + "\0").getBytes(StandardCharsets.UTF_16LE)));
            out.writeBytes(new byte[2]);
            return out.toByteArray();
        }
        return null;
    }

    private static String utf16(byte[] bytes) {
        return bytes.length % 2 == 0 ? new String(bytes, StandardCharsets.UTF_16LE) : null;
    }
}
