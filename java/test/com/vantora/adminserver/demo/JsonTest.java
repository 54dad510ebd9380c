package com.vantora.adminserver.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.Arrays;
import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class JsonTest {
    @Test
    void parsesWhatImagesHoldAndWritesItBackTheSame() {
        Object value = Json.parse("{\"z\": [4294967295, -2147024891, 0.25, true, null, {}],"
                + " \"a\": \"C:\\\\PHP \\\"\\u00e9\\n\\ud83d\\ude00\"}");
        assertEquals(Arrays.asList(4294967295L, -2147024891L, 0.25, true, null, Map.of()), ((Map<?, ?>) value).get("z"));
        assertEquals("C:\\PHP \"\u00e9\n\ud83d\ude00", ((Map<?, ?>) value).get("a"));
        assertEquals(List.of("z", "a"), List.copyOf(((Map<?, ?>) value).keySet()), "member order kept");
        assertEquals(value, Json.parse(Json.write(value)));
    }

    @ParameterizedTest
    @CsvSource(delimiter = '|', quoteCharacter = '`', value = {
        "``                  | 0 | unexpected end of input",
        "[1,]                | 3 | unexpected character ']'",
        "01                  | 1 | leading zero in a number",
        "\"abc               | 4 | unterminated string",
        "{\"a\":1,\"a\":2}   | 7 | member \"a\" appears twice",
        "1 2                 | 2 | unexpected text after the value",
        "9223372036854775808 | 0 | integer out of range",
    })
    void rejectsBadJsonSayingWhere(String text, int position, String message) {
        IllegalArgumentException e = assertThrows(IllegalArgumentException.class, () -> Json.parse(text));
        assertTrue(e.getMessage().startsWith("bad JSON at position " + position + " "), e.getMessage());
        assertTrue(e.getMessage().endsWith(message), e.getMessage());
    }
}
