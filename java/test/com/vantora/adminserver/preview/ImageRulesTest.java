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
        Map<?, ?> forms = (Map<?, ?>) Json.parse(Files.readString(FIXTURES.resolve("value-forms.json")));
        for (String table : List.of("same", "different", "registry", "metabase")) {
            for (Object row : (List<?>) (forms.containsKey(table) ? forms : names).get(table)) {
                rows.add(row instanceof Map<?, ?> form ? Arguments.of(table, form.get(table.equals("registry") ? "type" : "dataType"),
                        form.get("bytes"), form.get("image")) : Arguments.of(table, row, null, null));
            }
        }
        return rows.stream();
    }

    @ParameterizedTest(name = "{0} {1} {2}")
    @MethodSource("fixtures")
    void namesFoldAndBytesTakeTheirOneForm(String table, Object what, String hex, Map<String, Object> image) {
        if (table.equals("same") || table.equals("different")) {
            String a = (String) ((List<?>) what).get(0), b = (String) ((List<?>) what).get(1);
            assertEquals(List.of(table.equals("same"), table.equals("same")), List.of(Names.same(a, b), Names.fold(a).equals(Names.fold(b))));
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
