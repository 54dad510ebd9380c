package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.Json;
import java.io.IOException;
import java.nio.file.Files;
import java.util.List;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ImageDiffTest {
    private final String sample;
    private final HostImage base;

    ImageDiffTest() throws IOException {
        sample = Files.readString(MetabaseXmlTest.FIXTURES.resolve("sample-host.json"));
        base = HostImage.parse(sample);
    }

    @ParameterizedTest
    @CsvSource(delimiter = ';', quoteCharacter = '`', value = {
        "\"children\": [] } ] } ] } ] } ]; \"children\": [{\"name\": \"jk\", \"records\": [{\"id\": 3001, \"attributes\": 1,"
            + " \"userType\": 2, \"dataType\": 2, \"value\": \"C:\\\\jk\"}], \"children\": []}] } ] } ] } ] } ]"
            + "; + metabase /LM/W3SVC/1/Root/jk  (key)|  + #3001 Path  \"C:\\\\jk\" (attr 1, user 2, type 2)",
        "\".txt,text/plain\"]; \".txt,text/plain\", \".php,text/html\"]; metabase /LM/W3SVC"
            + "|  ~ #6015 MimeMap  2 entries -> 3 entries|      + \".php,text/html\"",
        "4294967295; 513; metabase /LM/W3SVC"
            + "|  ~ #6016 AccessFlags  4294967295 (attr 1, user 2, type 1) -> 513 (attr 1, user 2, type 1)",
        "\"PHP\"; \"Zend\"; + registry HKLM\\SOFTWARE\\Zend  (key)|  + IniFilePath  REG_SZ \"C:\\\\PHP\""
            + "|- registry HKLM\\SOFTWARE\\PHP  (key)|  - IniFilePath  REG_SZ \"C:\\\\PHP\"",
    })
    void showsOnlyWhatChangedUnderItsKey(String from, String to, String lines) {
        assertTrue(sample.contains(from), from);
        assertEquals(List.of(lines.split("\\|")), ImageDiff.lines(base, HostImage.parse(sample.replace(from, to))));
    }

    @Test
    void changesComeAreaByAreaAndRemovalsWhereTheyStood() {
        assertEquals(List.of("no changes"), ImageDiff.lines(base, HostImage.parse(sample)));
        Image root = Json.image(sample);
        root.broadcasts().add(Json.parse("{\"message\": 26, \"lParam\": \"Environment\", \"flags\": 2, \"timeout\": 5}"));
        root.services().add(root.services().remove(0));
        HostImage after = HostImage.of(root.withIisAndRegistry(null, root.registry()));
        List<String> lines = ImageDiff.lines(base, after);
        assertEquals(List.of("~ iis  installed -> not installed", "- metabase /LM  (key)"), lines.subList(0, 2));
        assertTrue(lines.contains("- backup \"before-upgrade\" v3  saved"));
        assertEquals("+ broadcast 2  message 26 lParam \"Environment\" flags 2 timeout 5", lines.get(lines.size() - 1));
        assertTrue(lines.stream().noneMatch(line -> line.contains("service")), "a reordered service is not a change");
    }
}
