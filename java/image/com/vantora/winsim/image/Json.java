package com.vantora.winsim.image;

import com.google.gson.Gson;
import com.google.gson.GsonBuilder;
import com.google.gson.JsonIOException;
import com.google.gson.JsonParseException;
import com.google.gson.ToNumberStrategy;
import com.google.gson.stream.JsonReader;
import com.google.gson.stream.JsonToken;
import java.io.IOException;
import java.io.StringReader;
import java.math.BigInteger;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * JSON as host images hold it: objects as maps in member order, arrays as lists, integers as
 * Long (BigInteger beyond it, as a QWORD may be), other numbers as Double. Reading is strict, as the
 * simulated host's is, and bounded by {@link Limits}.
 */
public final class Json {
    private static final ToNumberStrategy NUMBERS = in -> {
        String text = in.nextString();
        if (text.indexOf('.') >= 0 || text.indexOf('e') >= 0 || text.indexOf('E') >= 0) {
            return Double.valueOf(text);
        }
        try {
            return Long.parseLong(text);
        } catch (NumberFormatException e) {
            return new BigInteger(text);  // a QWORD beyond Long's range
        }
    };
    /** Gson's words for what it found, as a person would say them. */
    private static final Map<String, String> WORDS = Map.of("Expected ", "expected ", " but was ", ", found ",
            "BEGIN_OBJECT", "an object", "BEGIN_ARRAY", "an array", "NUMBER", "a number", "STRING", "text",
            "BOOLEAN", "true or false", "NULL", "null");
    private static final Pattern WHERE = Pattern.compile(" at line (\\d+) column \\d+");
    private static final GsonBuilder BUILDER = new GsonBuilder().serializeNulls().disableHtmlEscaping()
            .setObjectToNumberStrategy(NUMBERS).registerTypeAdapterFactory(new RecordBinding());
    private static final Gson COMPACT = BUILDER.create();
    private static final Gson PRETTY = BUILDER.setPrettyPrinting().create();

    private Json() {
    }

    /** Text that is not JSON, or JSON beyond the limits, with the line where it goes wrong (0 when unknown). */
    public static final class Malformed extends IllegalArgumentException {
        private static final long serialVersionUID = 1L;
        public final int line;

        Malformed(int line, String problem, Throwable cause) {
            super(problem, cause);
            this.line = line;
        }
    }

    public static Object parse(String text) {
        return parse(text, Object.class, "JSON");
    }

    /** A host image; Malformed names the line and the member that does not fit the model. */
    public static ImageModel.Image image(String text) {
        return parse(text, ImageModel.Image.class, "a host image");
    }

    /** JSON bound to one of the tools' records; Malformed says it is not {@code what}, and where. */
    public static <T> T parse(String text, Class<T> type, String what) {
        checkLimits(text);
        JsonReader reader = new JsonReader(new StringReader(text));
        try {
            T value = COMPACT.getAdapter(type).read(reader);
            if (reader.peek() != JsonToken.END_DOCUMENT) {
                throw new Malformed(0, "bad JSON: unexpected text after the value", null);
            }
            return value;
        } catch (IOException | JsonParseException | IllegalStateException | NumberFormatException e) {
            boolean number = e instanceof NumberFormatException || e.getCause() instanceof NumberFormatException;
            String message = number ? "expected a number, found text path " + reader.getPath()
                    : String.valueOf(e.getMessage()).replaceFirst("^[\\w.]+(Exception|Error): ", "");
            Matcher at = WHERE.matcher(message);
            int line = at.find() ? Integer.parseInt(at.group(1)) : 0;
            boolean syntax = false;
            for (Throwable t = e; t != null; t = t.getCause()) {
                syntax |= t instanceof IOException;
            }
            String problem = at.replaceAll("").replaceAll("\\s+", " ");
            for (Map.Entry<String, String> word : WORDS.entrySet()) {
                problem = problem.replace(word.getKey(), word.getValue());
            }
            throw new Malformed(line, (syntax ? "bad JSON: " : "not " + what + ": ") + problem.replaceFirst(" path \\$$", "").replaceFirst("\\.? path \\$\\.?", " at "), e);
        }
    }

    /** Nesting and string length in one pass before any parsing, so that neither can exhaust the stack or heap. */
    private static void checkLimits(String text) {
        int depth = 0;
        int line = 1;
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '\n') {
                line++;
            } else if (c == '{' || c == '[') {
                if (++depth > Limits.JSON_NESTING) {
                    throw new Malformed(line, "JSON nested deeper than " + Limits.JSON_NESTING
                            + " levels (keys deeper than " + Limits.KEY_DEPTH + ")", null);
                }
            } else if (c == '}' || c == ']') {
                depth--;
            } else if (c == '"') {
                int start = i;
                for (i++; i < text.length() && text.charAt(i) != '"'; i++) {
                    i += text.charAt(i) == '\\' ? 1 : 0;
                }
                if ((long) (i - start) * 2 > Limits.VALUE_BYTES) {
                    throw new Malformed(line, Limits.valueProblem("a string"), null);
                }
            }
        }
    }

    public static String quote(String s) {
        // most text needs no escape, and a writer per string would cost more than the rest of a large diff
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            if (c < 0x20 || c == '"' || c == '\\' || c == '\u2028' || c == '\u2029') {
                return COMPACT.toJson(s);
            }
        }
        return '"' + s + '"';
    }

    public static String write(Object value) {
        return COMPACT.toJson(value);
    }

    public static void write(Object value, Appendable out) throws IOException {
        try {
            COMPACT.toJson(value, out);
        } catch (JsonIOException e) {
            if (e.getCause() instanceof IOException cause) {
                throw cause;
            }
            throw e;
        }
    }

    /** Indented, as the image files in hosts/ are. */
    public static String writePretty(Object value) {
        return PRETTY.toJson(value);
    }
}
