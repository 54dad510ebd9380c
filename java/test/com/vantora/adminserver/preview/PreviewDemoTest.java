package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.Json;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.regex.Pattern;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** The demo's whole sequence on captured servers changes only what the library owns. */
class PreviewDemoTest {
    @TempDir
    Path dir;

    @ParameterizedTest
    @CsvSource({"small-office.xml, 1, ROOT", "shared-host.xml, 83721, Root"})
    void demoOnACapturedServerLeavesEverythingItDoesNotOwnAsItWas(String fixture, String site, String root)
            throws Exception {
        Image image = HostImageTool.fromMetabase(MetabaseXmlTest.FIXTURES.resolve(fixture),
                List.of(MetabaseXmlTest.FIXTURES.resolve("office-software.reg")), null);
        Path file = Files.writeString(dir.resolve("host.json"), Json.writePretty(image));
        HostImage before = HostImageTool.read(file).facts();
        assertEquals(0, Demo.runCalls(file, dir.resolve("journal.jsonl"), Calls.write(Calls.demo(), dir.resolve("calls.txt"))));
        HostImage after = HostImageTool.read(file).facts();

        String siteKey = "/LM/W3SVC/" + site;
        Pattern owned = Pattern.compile(("metabase /LM/W3SVC  #(6006|6014|6016|2168)|metabase /LM/W3SVC/Filters  #2040"
                + "|metabase SITE  #1012|metabase SITE/ROOT  #(6006|6014|6015|6016)|registry HKLM\\\\SOFTWARE\\\\PHP  .*"
                + "|registry HKLM\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment  (Path|PHPRC)")
                .replace("SITE/ROOT", siteKey + "/" + root).replace("SITE", siteKey));
        List<String> added = ImageDiff.changes(before, after).stream()
                .filter(c -> c.fact().detail() != null)
                .filter(c -> {
                    boolean newKey = before.facts().keySet().stream().noneMatch(f -> f.subject().equals(c.fact().subject()));
                    assertTrue(c.kind() != ImageDiff.Kind.REMOVED && (newKey || owned.matcher(c.fact().name()).matches()), c.line());
                    return c.fact().detail().equals("(key)") && c.fact().area() == HostImage.Area.METABASE;
                })
                .map(c -> c.fact().name()).toList();
        assertEquals(List.of("metabase /LM/W3SVC/Filters/jakarta  (key)", "metabase /LM/W3SVC/Filters/PHP  (key)",
                "metabase " + siteKey + "/" + root + "/docs  (key)", "metabase " + siteKey + "/" + root + "/jakarta  (key)"),
                added);
        MetabaseXml.write(HostImageTool.metabase(HostImageTool.readImage(file), file.toString()), file.toString());
    }
}
