package com.vantora.adminserver.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Map;
import java.util.function.Consumer;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

class ImageDiffTest {
    private static final HostImage BASE = HostImage.parse(HostImageTest.SAMPLE);
    private static final String W3SVC = "iis.metabase.children.0.children.0";

    /** The sample image with one edit made to the parsed JSON node at a dotted path of members and indexes. */
    private static HostImage edited(String path, Consumer<Map<String, Object>> edit) {
        Map<String, Object> root = HostImageTool.cast(Json.parse(HostImageTest.SAMPLE));
        Object node = root;
        for (String step : path.isEmpty() ? new String[0] : path.split("\\.")) {
            node = step.matches("\\d+") ? ((List<?>) node).get(Integer.parseInt(step)) : ((Map<?, ?>) node).get(step);
        }
        edit.accept(HostImageTool.cast(node));
        return HostImage.of(root);
    }

    private static final Map<String, HostImage> EDITS = Map.of(
            "added key", edited(W3SVC + ".children.1.children.0", root -> MetabaseXml.list(root, "children").add(
                    Json.parse("{\"name\": \"jk\", \"records\": [{\"id\": 3001, \"attributes\": 1, \"userType\": 2,"
                            + " \"dataType\": 2, \"value\": \"C:\\\\jk\"}], \"children\": []}"))),
            "changed list", edited(W3SVC + ".records.1", mimeMap -> mimeMap.put("value",
                    List.of(".txt,text/plain", ".txt,text/plain", ".php,text/html"))),
            "changed value", edited(W3SVC + ".records.2", accessFlags -> accessFlags.put("value", 513L)),
            "removed registry key", edited("registry.HKEY_LOCAL_MACHINE.children.0", software ->
                    MetabaseXml.list(software, "children").clear()));

    @ParameterizedTest
    @ValueSource(strings = {
        "added key|+ metabase /LM/W3SVC/1/Root/jk  (key)|  + #3001 Path  \"C:\\\\jk\" (attr 1, user 2, type 2)",
        "changed list|metabase /LM/W3SVC|  ~ #6015 MimeMap  2 entries -> 3 entries|      - \".htm,text/html\""
            + "|      + \".txt,text/plain\"|      + \".php,text/html\"",
        "changed value|metabase /LM/W3SVC|  ~ #6016 AccessFlags  4294967295 (attr 1, user 2, type 1) -> 513 (attr 1, user 2, type 1)",
        "removed registry key|- registry HKLM\\SOFTWARE\\PHP  (key)|  - IniFilePath  REG_SZ \"C:\\\\PHP\"",
    })
    void showsOnlyWhatChangedUnderItsKey(String table) {
        List<String> cells = List.of(table.split("\\|"));
        assertEquals(cells.subList(1, cells.size()), ImageDiff.lines(BASE, EDITS.get(cells.get(0))));
    }

    @Test
    void changesComeAreaByAreaAndRemovalsWhereTheyStood() {
        assertEquals(List.of("no changes"), ImageDiff.lines(BASE, HostImage.parse(HostImageTest.SAMPLE)));
        HostImage after = edited("", root -> {
            MetabaseXml.list(root, "broadcasts").add(Json.parse("{\"message\": 26, \"lParam\": \"Environment\", \"flags\": 2, \"timeout\": 5}"));
            root.put("iis", null);
            MetabaseXml.list(root, "services").add(MetabaseXml.list(root, "services").remove(0));
        });
        List<String> lines = ImageDiff.lines(BASE, after);
        assertEquals(List.of("~ iis  installed -> not installed", "- metabase /LM  (key)"), lines.subList(0, 2));
        assertTrue(lines.contains("- backup \"before-upgrade\" v3  saved"));
        assertEquals("+ broadcast 2  message 26 lParam \"Environment\" flags 2 timeout 5", lines.get(lines.size() - 1));
        assertTrue(lines.stream().noneMatch(line -> line.contains("service")), "a reordered service is not a change");
    }

    @Test
    void commandLinePrintsTheDiffOrSaysWhatIsWrong(@TempDir Path dir) throws Exception {
        Path before = Files.writeString(dir.resolve("before.json"), HostImageTest.SAMPLE);
        Path after = Files.writeString(dir.resolve("after.json"), HostImageTest.SAMPLE.replace("\"state\": 1,", "\"state\": 4,"));
        Files.writeString(dir.resolve("broken.json"), "{\"services\": 1}");
        assertEquals(List.of(0, "~ service IISADMIN  stopped (1), start type 4, start result 1058, denied access 0x10"
                + " -> running (4), start type 4, start result 1058, denied access 0x10\n", ""),
                run(before.toString(), after.toString()));
        assertEquals(List.of(1, "", "broken.json: not a host image: services: expected an array\n"),
                run(before.toString(), dir.resolve("broken.json").toString()).stream()
                        .map(o -> o instanceof String s ? s.replace(dir + "/", "") : o).toList());
        assertEquals(1, run(dir.resolve("missing.json").toString()).get(0));
        assertEquals(2, run().get(0));
    }

    private static List<Object> run(String... args) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        int code = ImageDiff.run(args, new PrintStream(out, true, StandardCharsets.UTF_8), new PrintStream(err, true, StandardCharsets.UTF_8));
        return List.of(code, out.toString(StandardCharsets.UTF_8), err.toString(StandardCharsets.UTF_8));
    }
}
