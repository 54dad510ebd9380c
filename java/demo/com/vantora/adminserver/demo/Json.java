package com.vantora.adminserver.demo;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A small strict JSON reader and writer. Objects come back as LinkedHashMap (member order kept),
 * arrays as ArrayList, integers as Long, other numbers as Double.
 */
public final class Json {
    private static final int MAX_DEPTH = 512;

    private final String text;
    private int pos;

    private Json(String text) {
        this.text = text;
    }

    public static Object parse(String text) {
        Json reader = new Json(text);
        reader.skipSpace();
        Object value = reader.readValue(0);
        reader.skipSpace();
        if (reader.pos < text.length()) {
            throw reader.error("unexpected text after the value");
        }
        return value;
    }

    public static String quote(String s) {
        StringBuilder out = new StringBuilder(s.length() + 2).append('"');
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            switch (c) {
                case '"' -> out.append("\\\"");
                case '\\' -> out.append("\\\\");
                case '\n' -> out.append("\\n");
                case '\r' -> out.append("\\r");
                case '\t' -> out.append("\\t");
                case '\b' -> out.append("\\b");
                case '\f' -> out.append("\\f");
                default -> {
                    if (c < 0x20 || c == 0x7f) {
                        out.append(String.format("\\u%04x", (int) c));
                    } else {
                        out.append(c);
                    }
                }
            }
        }
        return out.append('"').toString();
    }

    /** Compact JSON text of a value built from the types {@link #parse} gives. */
    public static String write(Object value) {
        if (value == null) {
            return "null";
        }
        if (value instanceof String s) {
            return quote(s);
        }
        if (value instanceof Double d && (d.isNaN() || d.isInfinite())) {
            throw new IllegalArgumentException("JSON has no " + d);
        }
        if (value instanceof Number || value instanceof Boolean) {
            return value.toString();
        }
        StringBuilder out = new StringBuilder();
        if (value instanceof Map<?, ?> map) {
            out.append('{');
            for (Map.Entry<?, ?> e : map.entrySet()) {
                if (out.length() > 1) {
                    out.append(',');
                }
                out.append(quote(String.valueOf(e.getKey()))).append(':').append(write(e.getValue()));
            }
            return out.append('}').toString();
        }
        if (value instanceof List<?> list) {
            out.append('[');
            for (Object item : list) {
                if (out.length() > 1) {
                    out.append(',');
                }
                out.append(write(item));
            }
            return out.append(']').toString();
        }
        throw new IllegalArgumentException("not a JSON value: " + value.getClass().getName());
    }

    private Object readValue(int depth) {
        if (depth > MAX_DEPTH) {
            throw error("nested deeper than " + MAX_DEPTH);
        }
        if (pos >= text.length()) {
            throw error("unexpected end of input");
        }
        char c = text.charAt(pos);
        return switch (c) {
            case '{' -> readObject(depth);
            case '[' -> readArray(depth);
            case '"' -> readString();
            case 't' -> readWord("true", Boolean.TRUE);
            case 'f' -> readWord("false", Boolean.FALSE);
            case 'n' -> readWord("null", null);
            default -> {
                if (c == '-' || (c >= '0' && c <= '9')) {
                    yield readNumber();
                }
                throw error("unexpected character " + describe(c));
            }
        };
    }

    private Map<String, Object> readObject(int depth) {
        Map<String, Object> map = new LinkedHashMap<>();
        pos++;
        skipSpace();
        if (peek() == '}') {
            pos++;
            return map;
        }
        while (true) {
            skipSpace();
            if (peek() != '"') {
                throw error("expected a member name in quotes");
            }
            int at = pos;
            String name = readString();
            if (map.containsKey(name)) {
                // a repeated member would silently hide one of the two values
                pos = at;
                throw error("member " + quote(name) + " appears twice");
            }
            skipSpace();
            expect(':');
            skipSpace();
            map.put(name, readValue(depth + 1));
            skipSpace();
            if (peek() == ',') {
                pos++;
            } else if (peek() == '}') {
                pos++;
                return map;
            } else {
                throw error("expected ',' or '}'");
            }
        }
    }

    private List<Object> readArray(int depth) {
        List<Object> list = new ArrayList<>();
        pos++;
        skipSpace();
        if (peek() == ']') {
            pos++;
            return list;
        }
        while (true) {
            skipSpace();
            list.add(readValue(depth + 1));
            skipSpace();
            if (peek() == ',') {
                pos++;
            } else if (peek() == ']') {
                pos++;
                return list;
            } else {
                throw error("expected ',' or ']'");
            }
        }
    }

    private String readString() {
        StringBuilder out = new StringBuilder();
        pos++;
        while (true) {
            if (pos >= text.length()) {
                throw error("unterminated string");
            }
            char c = text.charAt(pos);
            if (c == '"') {
                pos++;
                return out.toString();
            }
            if (c < 0x20) {
                throw error("control character " + describe(c) + " in a string");
            }
            if (c != '\\') {
                out.append(c);
                pos++;
                continue;
            }
            pos++;
            char e = peek();
            switch (e) {
                case '"', '\\', '/' -> out.append(e);
                case 'b' -> out.append('\b');
                case 'f' -> out.append('\f');
                case 'n' -> out.append('\n');
                case 'r' -> out.append('\r');
                case 't' -> out.append('\t');
                case 'u' -> {
                    if (pos + 5 > text.length()) {
                        throw error("incomplete \\u escape");
                    }
                    int code = 0;
                    for (int i = 1; i <= 4; i++) {
                        int digit = Character.digit(text.charAt(pos + i), 16);
                        if (digit < 0) {
                            throw error("bad \\u escape");
                        }
                        code = code * 16 + digit;
                    }
                    out.append((char) code);
                    pos += 4;
                }
                default -> throw error("bad escape " + describe(e));
            }
            pos++;
        }
    }

    private Object readNumber() {
        int start = pos;
        if (peek() == '-') {
            pos++;
        }
        if (peek() == '0') {
            pos++;
            if (isDigit(peek())) {
                throw error("leading zero in a number");
            }
        } else if (isDigit(peek())) {
            skipDigits();
        } else {
            throw error("expected a digit");
        }
        boolean integer = true;
        if (peek() == '.') {
            integer = false;
            pos++;
            requireDigit();
            skipDigits();
        }
        if (peek() == 'e' || peek() == 'E') {
            integer = false;
            pos++;
            if (peek() == '+' || peek() == '-') {
                pos++;
            }
            requireDigit();
            skipDigits();
        }
        String digits = text.substring(start, pos);
        if (integer) {
            try {
                return Long.parseLong(digits);
            } catch (NumberFormatException e) {
                pos = start;
                throw error("integer out of range");
            }
        }
        double d = Double.parseDouble(digits);
        if (Double.isInfinite(d)) {
            pos = start;
            throw error("number out of range");
        }
        return d;
    }

    private Object readWord(String word, Object value) {
        if (!text.startsWith(word, pos)) {
            throw error("unexpected word");
        }
        pos += word.length();
        return value;
    }

    private void expect(char c) {
        if (peek() != c) {
            throw error("expected '" + c + "'");
        }
        pos++;
    }

    private void requireDigit() {
        if (!isDigit(peek())) {
            throw error("expected a digit");
        }
    }

    private void skipDigits() {
        while (isDigit(peek())) {
            pos++;
        }
    }

    private void skipSpace() {
        while (pos < text.length()) {
            char c = text.charAt(pos);
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                return;
            }
            pos++;
        }
    }

    /** The character at the cursor, or NUL at the end (never valid where it is looked for). */
    private char peek() {
        return pos < text.length() ? text.charAt(pos) : '\0';
    }

    private static boolean isDigit(char c) {
        return c >= '0' && c <= '9';
    }

    private static String describe(char c) {
        return c >= 0x20 && c < 0x7f ? "'" + c + "'" : String.format("U+%04X", (int) c);
    }

    private IllegalArgumentException error(String message) {
        int line = 1;
        int lineStart = 0;
        for (int i = 0; i < pos && i < text.length(); i++) {
            if (text.charAt(i) == '\n') {
                line++;
                lineStart = i + 1;
            }
        }
        return new IllegalArgumentException(String.format("bad JSON at position %d (line %d, column %d): %s",
                pos, line, pos - lineStart + 1, message));
    }
}
