package com.vantora.adminserver.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

class JsonTest {
    static Stream<Arguments> goodInputs() {
        Map<String, Object> nested = new LinkedHashMap<>();
        nested.put("b", null);
        return Stream.of(
                Arguments.of("-2147024891", -2147024891L),
                Arguments.of("4294967295", 4294967295L),
                Arguments.of("-9223372036854775808", Long.MIN_VALUE),
                Arguments.of("-0", 0L),
                Arguments.of("0.25", 0.25),
                Arguments.of("1.5E+2", 150.0),
                Arguments.of(" \t\r\ntrue\n", true),
                Arguments.of("null", null),
                Arguments.of("\"a\\\\b\\\"\\/\\u00e9\\n\"", "a\\b\"/\u00e9\n"),
                Arguments.of("\"\\ud83d\\ude00\"", "\ud83d\ude00"),
                Arguments.of("[]", List.of()),
                Arguments.of("{}", Map.of()),
                Arguments.of("[1, {\"b\": null}, [false]]", Arrays.asList(1L, nested, List.of(false))));
    }

    @ParameterizedTest
    @MethodSource("goodInputs")
    void parsesValidJson(String text, Object expected) {
        assertEquals(expected, Json.parse(text));
    }

    @ParameterizedTest
    @CsvSource(delimiter = '|', quoteCharacter = '`', value = {
        "``                  | 0 | unexpected end of input",
        "[1,]                | 3 | unexpected character ']'",
        "{\"a\":1,}          | 7 | expected a member name in quotes",
        "{'a':1}             | 1 | expected a member name in quotes",
        "01                  | 1 | leading zero in a number",
        "1.                  | 2 | expected a digit",
        "-                   | 1 | expected a digit",
        "1e                  | 2 | expected a digit",
        "\"abc               | 4 | unterminated string",
        "\"\\x\"             | 2 | bad escape 'x'",
        "\"\\u12g4\"         | 2 | bad \\u escape",
        "tru                 | 0 | unexpected word",
        "NaN                 | 0 | unexpected character 'N'",
        "[1 2]               | 3 | expected ',' or ']'",
        "{\"a\" 1}           | 5 | expected ':'",
        "{\"a\":1,\"a\":2}   | 7 | member \"a\" appears twice",
        "1 2                 | 2 | unexpected text after the value",
        "9223372036854775808 | 0 | integer out of range",
        "1e400               | 0 | number out of range",
    })
    void rejectsBadJsonSayingWhere(String text, int position, String message) {
        IllegalArgumentException e = assertThrows(IllegalArgumentException.class, () -> Json.parse(text));
        assertTrue(e.getMessage().startsWith("bad JSON at position " + position + " "), e.getMessage());
        assertTrue(e.getMessage().endsWith(message), e.getMessage());
    }

    @Test
    void rejectsRawControlCharactersInStrings() {
        var e = assertThrows(IllegalArgumentException.class, () -> Json.parse("[\n \"a\tb\"]"));
        assertEquals("bad JSON at position 5 (line 2, column 4): control character U+0009 in a string", e.getMessage());
    }

    @Test
    void keepsMemberOrder() {
        Object parsed = Json.parse("{\"z\":1,\"a\":2,\"m\":3}");
        assertEquals(List.of("z", "a", "m"), new ArrayList<>(((Map<?, ?>) parsed).keySet()));
    }

    @Test
    void limitsNestingInsteadOfOverflowingTheStack() {
        assertEquals(1, ((List<?>) Json.parse("[".repeat(500) + "]".repeat(500))).size());
        var e = assertThrows(IllegalArgumentException.class, () -> Json.parse("[".repeat(100_000)));
        assertTrue(e.getMessage().contains("nested deeper"), e.getMessage());
    }

    @ParameterizedTest
    @ValueSource(strings = {"", "plain", "C:\\PHP", "say \"hi\"", "tab\tnew\nline\r", "\u0001\u001f\u007f", "\u00e9\ud83d\ude00"})
    void quotedTextAndWrittenValuesReadBackTheSame(String s) {
        assertEquals(s, Json.parse(Json.quote(s)));
        Object value = Json.parse("{\"k\":[" + Json.quote(s) + ",-1,2.5,true,null,{}]}");
        assertEquals(value, Json.parse(Json.write(value)));
    }

    @Test
    void quotesControlCharactersVisibly() {
        assertEquals("\"a\\\"b\\\\\\n\\u0001\"", Json.quote("a\"b\\\n\u0001"));
    }
}
