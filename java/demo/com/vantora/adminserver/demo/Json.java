package com.vantora.adminserver.demo;

import com.google.gson.Gson;
import com.google.gson.GsonBuilder;
import com.google.gson.JsonParseException;
import com.google.gson.ToNumberPolicy;
import com.google.gson.stream.JsonReader;
import com.google.gson.stream.JsonToken;
import java.io.IOException;
import java.io.StringReader;

/**
 * JSON as host images hold it: objects as maps in member order, arrays as lists, integers as
 * Long, other numbers as Double. Reading is strict, as the simulated host's is.
 */
public final class Json {
    private static final GsonBuilder BUILDER = new GsonBuilder().serializeNulls().disableHtmlEscaping()
            .setObjectToNumberStrategy(ToNumberPolicy.LONG_OR_DOUBLE);
    private static final Gson COMPACT = BUILDER.create();
    private static final Gson PRETTY = BUILDER.setPrettyPrinting().create();

    private Json() {
    }

    public static Object parse(String text) {
        try {
            JsonReader reader = new JsonReader(new StringReader(text));
            Object value = COMPACT.getAdapter(Object.class).read(reader);
            if (reader.peek() != JsonToken.END_DOCUMENT) {
                throw new IllegalArgumentException("bad JSON: unexpected text after the value");
            }
            return value;
        } catch (IOException | JsonParseException | IllegalStateException e) {
            throw new IllegalArgumentException("bad JSON: " + e.getMessage(), e);
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

    /** Indented, as the image files in hosts/ are. */
    public static String writePretty(Object value) {
        return PRETTY.toJson(value);
    }
}
