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
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

class MetabaseXmlTest {
    static final Path FIXTURES = HostImageTool.stockImage().toAbsolutePath().getParent().resolveSibling("tests/preview");
    private static final String XML = "<?xml version =\"1.0\"?>\n<configuration xmlns=\"urn:microsoft-catalog:XML_Metabase_V64_0\">"
            + "\n<MBProperty>\n<IIsWebService\tLocation =\"/LM/W3SVC\"\n\t\t%s\n\t>\n</IIsWebService>\n</MBProperty>\n</configuration>\n";
    private static final String REG = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n%s\r\n";

    @TempDir
    Path dir;

    @ParameterizedTest
    @ValueSource(strings = {"small-office.xml", "shared-host.xml", "1", "2", "3"})
    void importExportImportGivesTheSameRecordsAndExportImportExportTheSameText(String source) throws Exception {
        byte[] text = source.endsWith(".xml") ? Files.readAllBytes(FIXTURES.resolve(source))
                : MetabaseXml.write(MetabaseGenerator.generate(30, Long.parseLong(source), HostImageTool.stockImage()), "")
                        .getBytes(StandardCharsets.UTF_8);
        Map<String, Object> records = MetabaseXml.read(text, source);
        String exported = MetabaseXml.write(records, source);
        Map<String, Object> again = MetabaseXml.read(exported.getBytes(StandardCharsets.UTF_8), source);
        assertEquals(records, again);
        assertEquals(exported, MetabaseXml.write(again, source));
    }

    @ParameterizedTest
    @CsvSource(delimiter = '|', value = {
        "small-office.xml | metabase /LM/W3SVC  #6016   | 515 (attr 1, user 2, type 1)",
        "small-office.xml | metabase /LM/W3SVC  #6005   | 1073741886 (attr 1, user 2, type 1)",
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

    @ParameterizedTest
    @CsvSource(delimiter = ';', value = {
        "xml ; AccessFlags=\"AccessRed | AccessRead\" ; bad.xml:5: AccessFlags: unknown flag \"AccessRed\"",
        "xml ; MaxBandwidth=\"abc\"                   ; bad.xml:5: MaxBandwidth: \"abc\" is not a DWORD",
        "xml ; ServerAutoStart=\"yes\"                ; bad.xml:5: ServerAutoStart: \"yes\" is not a DWORD nor TRUE or FALSE",
        "xml ; AdminACL=\"abc\"                       ; bad.xml:5: AdminACL: odd-length hex",
        "xml ; Bogus=\"1\"                            ; bad.xml:5: unknown property Bogus",
        "xml ; Path=\"a\" path=\"b\"                  ; bad.xml:5: property #3001 given twice on /LM/W3SVC",
        "xml ; >~</IIsWebService>~<IIsWebService Location=\"/lm/w3svc/\" ; bad.xml:7: Location \"/lm/w3svc/\" given twice (first on line 4)",
        "xml ; >~<Custom ID=\"1\" Type=\"QWORD\" Value=\"1\"></Custom ; bad.xml:6: <Custom> #1 needs",
        "xml ; Path=\"C:\\x                           ; bad.xml:5: malformed XML: ",
        "xml ; >~</IIsWebService>~<Other/>~<IIsWebService ; bad.xml:7: <Other> needs a Location",
        "reg ; [-HKEY_LOCAL_MACHINE\\SOFTWARE\\X]     ; bad.reg:4: deletes key HKEY_LOCAL_MACHINE\\SOFTWARE\\X",
        "reg ; \"a\"=-                                ; bad.reg:4: deletes value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X",
        "reg ; [HKEY_CURRENT_USER\\Software]          ; bad.reg:4: key HKEY_CURRENT_USER\\Software is outside HKEY_LOCAL_MACHINE",
        "reg ; \"a\"=hex:1,\\~  02                  ; bad.reg:4: value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X: hex bytes must be",
        "reg ; \"a\"=dword:0x1                        ; bad.reg:4: value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X: expected a quoted",
        "header ; REGEDIT4                           ; bad.reg:1: not a registry export",
    })
    void refusesBadInputInOneLineWithExitStatus2AndNoOutput(String kind, String text, String message) throws Exception {
        Files.writeString(dir.resolve("bad.xml"), kind.equals("xml") ? XML.formatted(text.replace("~", "\n")) : XML.formatted(""));
        Files.writeString(dir.resolve("bad.reg"), kind.equals("reg") ? REG.formatted(text.replace("~", "\r\n"))
                : kind.equals("header") ? text + "\r\n" : REG.formatted(""));
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        int status = HostImageTool.run(new String[] {"from-metabase", dir + "/bad.xml", "--registry", dir + "/bad.reg"},
                new PrintStream(out, true, StandardCharsets.UTF_8), new PrintStream(err, true, StandardCharsets.UTF_8));
        String line = err.toString(StandardCharsets.UTF_8).replace(dir + "/", "");
        assertEquals(2, status);
        assertEquals(0, out.size());
        assertTrue(line.startsWith(message) && line.indexOf('\n') == line.length() - 1, line);
    }
}
