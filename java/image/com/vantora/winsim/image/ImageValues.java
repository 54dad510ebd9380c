package com.vantora.winsim.image;

import java.math.BigInteger;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.HexFormat;
import java.util.List;
import java.util.Map;

/**
 * The bytes behind metabase records and registry values, and the one form an image gives them in:
 * {@code data}/{@code value} when the bytes are well formed for the type, else lower-case {@code hex}.
 */
public final class ImageValues {
    private static final HexFormat HEX = HexFormat.of();

    private enum Form { TEXT, LIST, DWORD, QWORD, BYTES }

    private ImageValues() {
    }

    /** A registry value's bytes as the image gives them: {@code {"data": v}} or {@code {"hex": h}}. */
    public static Map.Entry<String, Object> registryForm(long type, byte[] bytes) {
        return form(registry(type), "data", bytes);
    }

    /** A metabase record's bytes as the image gives them: {@code {"value": v}} or {@code {"hex": h}}. */
    public static Map.Entry<String, Object> metabaseForm(long dataType, byte[] bytes) {
        return form(metabase(dataType), "value", bytes);
    }

    /** The bytes a registry value's {@code data} stands for, or null when it is not a form of the type. */
    public static byte[] registryBytes(long type, Object data) {
        return bytes(registry(type), data);
    }

    /** The bytes a metabase record's {@code value} stands for, or null when it is not a form of the type. */
    public static byte[] metabaseBytes(long dataType, Object value) {
        return bytes(metabase(dataType), value);
    }

    private static Form registry(long type) {
        return type == 1 || type == 2 ? Form.TEXT : type == 7 ? Form.LIST : type == 4 ? Form.DWORD
                : type == 11 ? Form.QWORD : Form.BYTES;
    }

    private static Form metabase(long type) {
        return type == 2 || type == 4 ? Form.TEXT : type == 5 ? Form.LIST : type == 1 ? Form.DWORD : Form.BYTES;
    }

    private static Map.Entry<String, Object> form(Form form, String field, byte[] bytes) {
        Object value = switch (form) {
            case TEXT -> text(bytes);
            case LIST -> list(bytes);
            case DWORD -> bytes.length == 4 ? unsigned(bytes) : null;
            case QWORD -> bytes.length == 8 ? unsigned(bytes) : null;
            case BYTES -> null;
        };
        return value == null ? Map.entry("hex", hex(bytes)) : Map.entry(field, value);
    }

    private static byte[] bytes(Form form, Object value) {
        return switch (form) {
            case TEXT -> value instanceof String s ? utf16(s + "\0") : null;
            case LIST -> value instanceof List<?> entries && entries.stream().allMatch(String.class::isInstance)
                    ? utf16(entries.isEmpty() ? "\0" : String.join("\0", entries.stream().map(String.class::cast).toList()) + "\0\0")
                    : null;
            case DWORD -> number(value, 4);
            case QWORD -> number(value, 8);
            case BYTES -> null;
        };
    }

    /** Little-endian bytes of an unsigned number that fits in {@code size} bytes, or null. */
    private static byte[] number(Object value, int size) {
        BigInteger n = value instanceof Long l ? BigInteger.valueOf(l) : value instanceof BigInteger b ? b : null;
        if (n == null || n.signum() < 0 || n.bitLength() > size * 8) {
            return null;
        }
        byte[] out = new byte[size];
        for (int i = 0; i < size; i++) {
            out[i] = n.shiftRight(8 * i).byteValue();
        }
        return out;
    }

    /** A Long when it fits, as JSON reads it back; a BigInteger beyond. */
    private static Number unsigned(byte[] b) {
        BigInteger n = BigInteger.ZERO;
        for (int i = b.length - 1; i >= 0; i--) {
            n = n.shiftLeft(8).or(BigInteger.valueOf(b[i] & 0xFF));
        }
        return n.bitLength() < 64 ? (Number) n.longValue() : n;
    }

    public static String hex(byte[] bytes) {
        return HEX.formatHex(bytes);
    }

    /** The bytes of even-length hex in either case, or null. */
    public static byte[] unhex(String text) {
        if (text.length() % 2 != 0 || !text.chars().allMatch(c -> Character.digit(c, 16) >= 0)) {
            return null;
        }
        return HEX.parseHex(text);
    }

    /** Text stored with its one closing NUL, or null when the bytes are not that. */
    private static String text(byte[] bytes) {
        String s = strictUtf16(bytes);
        return s != null && s.endsWith("\0") && s.indexOf('\0') == s.length() - 1 ? s.substring(0, s.length() - 1) : null;
    }

    /** Non-empty entries each closed by a NUL and the list by one more (a lone NUL is the empty list), or null. */
    private static List<String> list(byte[] bytes) {
        String s = strictUtf16(bytes);
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

    /** The bytes an image's {@code value}/{@code data} stands for when its type is not known: a DWORD, text or a list. */
    public static byte[] bytes(Object value) {
        return value instanceof List<?> ? bytes(Form.LIST, value) : value instanceof String ? bytes(Form.TEXT, value)
                : bytes(Form.DWORD, value);
    }

    private static byte[] utf16(String s) {
        return s.getBytes(StandardCharsets.UTF_16LE);
    }

    /** Whole UTF-16LE code units with every surrogate paired, or null. */
    private static String strictUtf16(byte[] bytes) {
        if (bytes.length % 2 != 0) {
            return null;
        }
        try {
            return StandardCharsets.UTF_16LE.newDecoder().decode(ByteBuffer.wrap(bytes)).toString();
        } catch (CharacterCodingException e) {
            return null;
        }
    }
}
