package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;

import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Names;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HexFormat;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** The rule for names and the forms of values, from the fixtures the simulated host's tests read too. */
class ImageRulesTest {
    private static final Path FIXTURES = HostImageTool.stockImage().toAbsolutePath().getParent().resolveSibling("tests/fixtures");

    static Stream<Arguments> fixtures() throws Exception {
        List<Arguments> rows = new ArrayList<>();
        Map<?, ?> names = (Map<?, ?>) Json.parse(Files.readString(FIXTURES.resolve("name-folding.json")));
        for (String rule : List.of("same", "different")) {
            for (Object pair : (List<?>) names.get(rule)) {
                rows.add(Arguments.of(rule, pair, null, null));
            }
        }
        Map<?, ?> forms = (Map<?, ?>) Json.parse(Files.readString(FIXTURES.resolve("value-forms.json")));
        for (String store : List.of("registry", "metabase")) {
            for (Object entry : (List<?>) forms.get(store)) {
                Map<?, ?> row = (Map<?, ?>) entry;
                rows.add(Arguments.of(store, row.get(store.equals("registry") ? "type" : "dataType"), row.get("bytes"), row.get("image")));
            }
        }
        return rows.stream();
    }

    @ParameterizedTest(name = "{0} {1} {2}")
    @MethodSource("fixtures")
    void namesFoldAndBytesTakeTheirOneForm(String table, Object what, String hex, Map<String, Object> image) {
        if (table.equals("same") || table.equals("different")) {
            List<?> pair = (List<?>) what;
            assertEquals(table.equals("same"), Names.same((String) pair.get(0), (String) pair.get(1)));
            assertEquals(table.equals("same"), Names.fold((String) pair.get(0)).equals(Names.fold((String) pair.get(1))));
            return;
        }
        long type = (Long) what;
        byte[] bytes = HexFormat.of().parseHex(hex);
        Map.Entry<String, Object> form = table.equals("registry") ? ImageValues.registryForm(type, bytes)
                : ImageValues.metabaseForm(type, bytes);
        assertEquals(image, Map.ofEntries(form));
        Object value = image.values().iterator().next();
        byte[] back = image.containsKey("hex") ? ImageValues.unhex((String) value)
                : table.equals("registry") ? ImageValues.registryBytes(type, value) : ImageValues.metabaseBytes(type, value);
        assertArrayEquals(bytes, back);
    }
}
