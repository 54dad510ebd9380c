package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.vantora.bench.MetabaseGenerator;
import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

class MetabaseXmlTest {
    static final Path FIXTURES = HostImageTool.stockImage().toAbsolutePath().getParent().resolveSibling("tests/preview");

    @ParameterizedTest
    @ValueSource(strings = {"small-office.xml", "shared-host.xml", "1", "2", "3"})
    void importExportImportGivesTheSameRecordsAndExportImportExportTheSameText(String source) throws Exception {
        byte[] text = source.endsWith(".xml") ? Files.readAllBytes(FIXTURES.resolve(source))
                : MetabaseXml.write(MetabaseGenerator.generate(30, Long.parseLong(source), HostImageTool.stockImage()), "")
                        .getBytes(StandardCharsets.UTF_8);
        MetabaseKey records = MetabaseXml.read(text, source);
        String exported = MetabaseXml.write(records, source);
        MetabaseKey again = MetabaseXml.read(exported.getBytes(StandardCharsets.UTF_8), source);
        assertEquals(records, again);
        assertEquals(exported, MetabaseXml.write(again, source));
    }

    @ParameterizedTest
    @CsvSource(delimiter = '|', value = {
        "small-office.xml | metabase /LM/W3SVC  #6016   | 515 (attr 1, user 2, type 1)",
        "small-office.xml | metabase /LM/W3SVC  #6021   | hex 49634462a0000000240000000100000011aa22bb (attr 5, user 2, type 2)",
        "small-office.xml | metabase /LM/W3SVC  #1023   | [\":80:\", \":8080:\"] (attr 129, user 1, type 5)",
        "small-office.xml | metabase /LM/W3SVC/Info  #2120 | hex  (attr 16, user 1, type 3)",
        "small-office.xml | metabase /LM/W3SVC/1/ROOT/reports  #3001 | \"E:\\\\Reports & Charts\" (attr 1, user 2, type 2)",
        "shared-host.xml  | metabase /LM/W3SVC/Filters/URLSCAN  #2044 | 67108865 (attr 0, user 1, type 1)",
        "shared-host.xml  | metabase /LM/W3SVC/83721  #1002 | \"IIsWebServer\" (attr 0, user 1, type 2)",
        "shared-host.xml  | registry HKLM\\SOFTWARE\\PHP  (default) | REG_SZ \"PHP 5.2 \\\"office\\\" build\"",
        "shared-host.xml  | registry HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment  Path"
            + " | REG_EXPAND_SZ \"%SystemRoot%\\\\system32;%SystemRoot%;D:\\\\PHP5\"",
        "shared-host.xml  | registry HKLM\\SOFTWARE\\Office Tools\\Backup  Targets | REG_MULTI_SZ [\"\\\\\\\\nas\\\\backup\", \"E:\\\\backup\"]",
        "shared-host.xml  | registry HKLM\\SOFTWARE\\Office Tools\\Backup  Odd | REG_EXPAND_SZ hex 4100",
    })
    void importsEachFormAsTheHostHoldsIt(String fixture, String fact, String expected) throws Exception {
        HostImage image = HostImage.of(HostImageTool.fromMetabase(FIXTURES.resolve(fixture),
                List.of(FIXTURES.resolve("office-software.reg")), null));
        assertEquals(expected, image.get(fact));
    }
}
