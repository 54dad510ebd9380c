package com.vantora.adminserver.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.function.Consumer;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

class ImageDiffTest {
    private static final HostImage BASE = HostImage.parse(HostImageTest.SAMPLE);

    /** The sample image with one edit made to its parsed JSON. */
    @SuppressWarnings("unchecked")
    private static HostImage edited(Consumer<Map<String, Object>> edit) {
        Map<String, Object> root = (Map<String, Object>) Json.parse(HostImageTest.SAMPLE);
        edit.accept(root);
        return HostImage.of(root);
    }

    @SuppressWarnings("unchecked")
    private static Map<String, Object> at(Object node, Object... steps) {
        for (Object step : steps) {
            node = step instanceof String s ? ((Map<String, Object>) node).get(s) : ((List<Object>) node).get((Integer) step);
        }
        return (Map<String, Object>) node;
    }

    @SuppressWarnings("unchecked")
    private static List<Object> list(Map<String, Object> node, String member) {
        return (List<Object>) node.get(member);
    }

    private static Map<String, Object> key(String name, Object... records) {
        Map<String, Object> key = new LinkedHashMap<>();
        key.put("name", name);
        key.put("records", new ArrayList<>(List.of(records)));
        key.put("children", new ArrayList<>());
        return key;
    }

    @Test
    void equalImagesHaveNoChanges() {
        assertEquals(List.of("no changes"), ImageDiff.lines(BASE, HostImage.parse(HostImageTest.SAMPLE)));
        assertEquals(List.of(), ImageDiff.changes(BASE, BASE));
    }

    @Test
    void addedKeyShowsWithItsRecords() {
        HostImage after = edited(root -> list(at(root, "iis", "metabase", "children", 0, "children", 0, "children", 1,
                "children", 0), "children").add(key("jk", Json.parse(
                "{\"id\": 3001, \"attributes\": 1, \"userType\": 2, \"dataType\": 2, \"value\": \"C:\\\\jk\"}"))));
        assertEquals(List.of("+ metabase /LM/W3SVC/1/Root/jk  (key)",
                "+ metabase /LM/W3SVC/1/Root/jk  #3001  \"C:\\\\jk\" (attr 1, user 2, type 2)"),
                ImageDiff.lines(BASE, after));
    }

    @Test
    void changedListShowsTheEntriesGainedAndLost() {
        HostImage after = edited(root -> {
            List<Object> mimeMap = list(at(root, "iis", "metabase", "children", 0, "children", 0, "records", 1), "value");
            mimeMap.remove(0);
            mimeMap.add(".txt,text/plain");
            mimeMap.add(".php,text/html");
        });
        // A second copy of an entry counts as gained.
        assertEquals(List.of("~ metabase /LM/W3SVC  #6015  2 entries -> 3 entries", "    - \".htm,text/html\"",
                "    + \".txt,text/plain\"", "    + \".php,text/html\""), ImageDiff.lines(BASE, after));
    }

    @Test
    void changedServiceStateShowsOldAndNew() {
        HostImage after = edited(root -> at(root, "services", 0).put("state", 1L));
        assertEquals(List.of(new ImageDiff.Change(ImageDiff.Kind.CHANGED, "service W3SVC",
                "running (4), start type 2", "stopped (1), start type 2")), ImageDiff.changes(BASE, after));
        assertEquals(List.of("~ service W3SVC  running (4), start type 2 -> stopped (1), start type 2"),
                ImageDiff.lines(BASE, after));
    }

    @Test
    void changedRecordValueIsOneLine() {
        HostImage after = edited(root -> at(root, "iis", "metabase", "children", 0, "children", 0, "records", 2)
                .put("value", 513L));
        assertEquals(List.of("~ metabase /LM/W3SVC  #6016  4294967295 (attr 1, user 2, type 1) -> 513 (attr 1, user 2, type 1)"),
                ImageDiff.lines(BASE, after));
    }

    @Test
    void removedRegistryKeyShowsWhatWentWithIt() {
        HostImage after = edited(root -> list(at(root, "registry", "HKEY_LOCAL_MACHINE", "children", 0), "children").clear());
        assertEquals(List.of("- registry HKLM\\SOFTWARE\\PHP  (key)",
                "- registry HKLM\\SOFTWARE\\PHP  IniFilePath  REG_SZ \"C:\\\\PHP\""), ImageDiff.lines(BASE, after));
    }

    @Test
    void changesComeAreaByAreaAndRemovalsWhereTheyStood() {
        HostImage after = edited(root -> {
            list(root, "broadcasts").add(Json.parse("{\"message\": 26, \"lParam\": \"Environment\", \"flags\": 2, \"timeout\": 5}"));
            root.put("iis", null);
            list(root, "services").remove(0);
            list(root, "services").add(Json.parse("{\"name\": \"W3SVC\", \"state\": 4, \"startType\": 2}"));
        });
        List<String> lines = ImageDiff.lines(BASE, after);
        assertEquals(List.of("~ iis  installed -> not installed", "- metabase /LM  (key)"), lines.subList(0, 2));
        assertTrue(lines.contains("- backup \"before-upgrade\" v3  saved"));
        assertEquals("+ broadcast 2  message 26 lParam \"Environment\" flags 2 timeout 5", lines.get(lines.size() - 1));
        // a reordered service is not a change
        assertTrue(lines.stream().noneMatch(line -> line.contains("service")), lines.toString());

        HostImage withoutFilters = edited(root -> {
            List<Object> w3svc = list(at(root, "iis", "metabase", "children", 0, "children", 0), "children");
            w3svc.remove(0);
            w3svc.add(key("Info"));
        });
        assertEquals(List.of("- metabase /LM/W3SVC/Filters  (key)", "+ metabase /LM/W3SVC/Info  (key)"),
                ImageDiff.lines(BASE, withoutFilters));
    }

    @Test
    void commandLinePrintsTheDiffOrSaysWhatIsWrong(@TempDir Path dir) throws Exception {
        Path before = Files.writeString(dir.resolve("before.json"), HostImageTest.SAMPLE);
        Path after = Files.writeString(dir.resolve("after.json"), HostImageTest.SAMPLE.replace("\"state\": 1,", "\"state\": 4,"));
        Path broken = Files.writeString(dir.resolve("broken.json"), "{\"services\": 1}");
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
