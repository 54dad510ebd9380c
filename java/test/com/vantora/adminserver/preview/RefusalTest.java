package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.bench.MetabaseGenerator;
import com.vantora.winsim.image.Limits;
import java.io.ByteArrayOutputStream;
import java.io.PrintStream;
import java.io.RandomAccessFile;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.function.BiFunction;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Every input the tools refuse: one line naming the file, exit status 2, nothing on standard output, nothing left. */
class RefusalTest {
    private static final String XML = "<?xml version =\"1.0\"?>\n<configuration xmlns=\"urn:microsoft-catalog:XML_Metabase_V64_0\">"
            + "\n<MBProperty>\n<IIsWebService\tLocation =\"%s\"\n\t\t%s\n\t>\n</IIsWebService>\n</MBProperty>\n</configuration>\n";
    private static final String REG = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n%s\r\n";
    private static final BiFunction<String, Integer, String> DEEP = (where, n) -> "{" + where + ": {\"name\": \"\""
            + ", \"children\": [{\"name\": \"k\"".repeat(n) + "}]".repeat(n) + "}}}";

    @TempDir
    Path dir;

    private final Map<String, String> files = Map.ofEntries(
            Map.entry("ok.xml", XML.formatted("/LM/W3SVC", "")),
            Map.entry("ok.reg", REG.formatted("")),
            Map.entry("ok.json", "{}"),
            Map.entry("deep.xml", XML.formatted("/LM" + "/k".repeat(512), "")),
            Map.entry("deep.reg", REG.formatted("[HKEY_LOCAL_MACHINE" + "\\k".repeat(513) + "]")),
            Map.entry("deep-metabase.json", DEEP.apply("\"iis\": {\"metabase\"", 513)),
            Map.entry("deep-registry.json", DEEP.apply("\"registry\": {\"HKEY_LOCAL_MACHINE\"", 513)),
            Map.entry("nested.json", DEEP.apply("\"iis\": {\"metabase\"", 5000)),
            Map.entry("registry-5.json", "{\"registry\": 5}"),
            Map.entry("hklm-array.json", "{\"registry\": {\"HKEY_LOCAL_MACHINE\": []}}"),
            Map.entry("children-object.json", "{\"registry\": {\"HKEY_LOCAL_MACHINE\": {\"name\": \"\", \"children\": {}}}}"),
            Map.entry("array.json", "[]"),
            Map.entry("planted-name.json", "{\"registry\": {\"HKEY_LOCAL_MACHINE\": {\"name\": \"\", \"values\": [{\"name\":"
                    + " \"a\\\"=\\\"\\r\\n[HKEY_LOCAL_MACHINE\\\\Planted]\\r\\n\\\"b\", \"type\": 1, \"data\": \"x\"}]}}}"),
            Map.entry("usage-calls.txt", "# one argument short\nCreateVirtualDirectory docs\n"),
            Map.entry("percent-calls.txt", "CreateVirtualDirectory docs %SystemDrive%\\docs\n"),
            Map.entry("quote-calls.txt", "CreateVirtualDirectory docs \"C:\\x\n"),
            Map.entry("broken.json", "{\"iis\": {\n\"metabase\": \n}"),
            Map.entry("long-string.json", "{\"other\": \"" + "x".repeat((int) (Limits.VALUE_BYTES / 2)) + "\"}"),
            Map.entry("long-value.xml", XML.formatted("/LM/W3SVC", "Path=\"" + "x".repeat((int) (Limits.VALUE_BYTES / 2)) + "\"")),
            Map.entry("long-value.reg", REG.formatted("\"a\"=\"" + "x".repeat((int) (Limits.VALUE_BYTES / 2)) + "\"")));

    @ParameterizedTest
    @CsvSource(delimiter = ';', value = {
        "from-metabase deep.xml                ;; deep.xml:4: Location nested deeper than 512 levels",
        "from-metabase ok.xml --registry deep.reg ;; deep.reg:4: key nested deeper than 512 levels",
        "from-metabase ok.xml --base deep-registry.json ;; deep-registry.json: not a host image: registry: keys nested deeper",
        "to-metabase deep-metabase.json        ;; deep-metabase.json: not a host image: iis.metabase: keys nested deeper",
        "to-metabase nested.json               ;; nested.json:1: JSON nested deeper than 1040 levels",
        "from-metabase ok.xml --base registry-5.json ;; registry-5.json:1: not a host image: expected an object, found a number at registry",
        "from-metabase ok.xml --base hklm-array.json ;; hklm-array.json:1: not a host image: expected an object, found an array at registry",
        "from-metabase ok.xml --base children-object.json ;; children-object.json:1: not a host image:"
            + " expected an array, found an object at registry",
        "to-metabase array.json                ;; array.json:1: not a host image: expected an object, found an array",
        "demo broken.json                           ;; broken.json:3: bad JSON: ",
        "to-metabase ok.reg                         ;; ok.reg:1: bad JSON: ",
        "demo missing.json                          ;; missing.json: no such file",
        "demo --metabase huge.xml                   ;; huge.xml: larger than the 64 MB an input may be",
        "demo --metabase utf16.xml                  ;; utf16.xml: UTF-16 text: save it as UTF-8",
        "to-metabase latin1.json               ;; latin1.json: not UTF-8 text",
        "demo long-string.json                      ;; long-string.json:1: a string is larger than the 16 MB a value may hold",
        "from-metabase long-value.xml          ;; long-value.xml:5: an attribute value is larger than the 16 MB",
        "from-metabase ok.xml --registry long-value.reg ;; long-value.reg:4: value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X is larger",
        "demo --metabase bad.xml ; AccessFlags=\"AccessRed | AccessRead\" ; bad.xml:5: AccessFlags: unknown flag \"AccessRed\"",
        "from-metabase bad.xml ; MaxBandwidth=\"abc\"     ; bad.xml:5: MaxBandwidth: \"abc\" is not a DWORD",
        "from-metabase bad.xml ; ServerAutoStart=\"yes\"  ; bad.xml:5: ServerAutoStart: \"yes\" is not a DWORD nor TRUE or FALSE",
        "from-metabase bad.xml ; AdminACL=\"abc\"         ; bad.xml:5: AdminACL: odd-length hex",
        "from-metabase bad.xml ; Bogus=\"1\"              ; bad.xml:5: unknown property Bogus",
        "from-metabase bad.xml ; Path=\"a\" path=\"b\"    ; bad.xml:5: property #3001 given twice on /LM/W3SVC",
        "from-metabase bad.xml ; >~</IIsWebService>~<IIsWebService Location=\"/lm/w3svc/\" ; bad.xml:7: Location \"/lm/w3svc/\" given twice (first on line 4)",
        "from-metabase bad.xml ; >~<Custom ID=\"1\" Type=\"QWORD\" Value=\"1\"></Custom ; bad.xml:6: <Custom> #1 needs",
        "from-metabase bad.xml ; Path=\"C:\\x             ; bad.xml:5: malformed XML: ",
        "from-metabase bad.xml ; >~</IIsWebService>~<Other/>~<IIsWebService ; bad.xml:7: <Other> needs a Location",
        "from-metabase ok.xml --registry bad.reg ; [-HKEY_LOCAL_MACHINE\\SOFTWARE\\X] ; bad.reg:4: deletes key HKEY_LOCAL_MACHINE\\SOFTWARE\\X",
        "from-metabase ok.xml --registry bad.reg ; \"a\"=-  ; bad.reg:4: deletes value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X",
        "from-metabase ok.xml --registry bad.reg ; [HKEY_CURRENT_USER\\Software] ; bad.reg:4: key HKEY_CURRENT_USER\\Software is outside HKEY_LOCAL_MACHINE",
        "from-metabase ok.xml --registry bad.reg ; \"a\"=hex:1,\\~  02 ; bad.reg:4: value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X: hex bytes must be",
        "from-metabase ok.xml --registry bad.reg ; \"a\"=dword:0x1 ; bad.reg:4: value \"a\" of HKEY_LOCAL_MACHINE\\SOFTWARE\\X: expected a quoted",
        "from-metabase ok.xml --registry header.reg ;; header.reg:1: not a registry export",
        "from-metabase ok.xml --registry be.reg ;; be.reg: neither UTF-16LE with a byte order mark nor UTF-8",
        "demo --calls usage-calls.txt               ;; usage-calls.txt:2: usage: jniCreateVirtualDirectory name physicalPath",
        "demo --calls quote-calls.txt               ;; quote-calls.txt:1: a quoted word has no closing quote",
        "demo --calls percent-calls.txt             ;; percent-calls.txt:1: a word holds % or \", which the command prompt",
        "demo --metabase ok.xml --change-set new.d  ;; ok.xml: the calls change HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet"
            + "\\Control\\Session Manager\\Environment Path, which no --registry export holds",
        "demo --metabase ok.xml --change-set ok.json ;; ok.json: not a folder; a change set goes into a new or empty folder",
        "verify ok.json --before ok.xml --after ok.xml ;; ok.json: not a change set: captures, calls, metabase and registry",
        "to-reg ok.json --key HKLM\\SOFTWARE\\None   ;; ok.json: no key HKLM\\SOFTWARE\\None",
        "to-reg planted-name.json                   ;; planted-name.json: value \"a\\\"=\\\"\\r\\n[HKEY_LOCAL_MACHINE\\\\Planted]"
            + "\\r\\n\\\"b\" cannot be written to a registry file: its name holds a line break or NUL",
        "demo --metabase ok.xml --base x.json       ;; usage: demo.sh",
        "generate --sites x                         ;; usage: host-image.sh generate",
        "diff                                       ;; usage: preview diff",
    })
    void refusedInOneLineWithStatus2AndNothingLeft(String command, String content, String message) throws Exception {
        for (String word : command.trim().split(" +")) {
            if (word.startsWith("bad.")) {
                write(word, (word.endsWith("xml") ? XML.formatted("/LM/W3SVC", content.trim().replace("~", "\n"))
                        : REG.formatted(content.trim().replace("~", "\r\n"))).getBytes(StandardCharsets.UTF_8));
            } else if (files.containsKey(word)) {
                write(word, files.get(word).getBytes(StandardCharsets.UTF_8));
            }
        }
        write("utf16.xml", ("\uFEFF" + files.get("ok.xml")).getBytes(StandardCharsets.UTF_16LE));
        write("be.reg", ("\uFEFF" + files.get("ok.reg")).getBytes(StandardCharsets.UTF_16BE));
        write("latin1.json", "{\"other\": \"caf\u00e9\"}".getBytes(StandardCharsets.ISO_8859_1));
        write("header.reg", "REGEDIT4\r\n".getBytes(StandardCharsets.UTF_8));
        try (RandomAccessFile huge = new RandomAccessFile(dir.resolve("huge.xml").toFile(), "rw")) {
            huge.setLength(Limits.FILE_BYTES + 1);  // sparse: only its size is read
        }
        List<Object> result = run(dir, command.trim().split(" +"));
        assertEquals(List.of(2, ""), result.subList(0, 2));
        String line = (String) result.get(2);
        assertTrue(line.startsWith(message) && line.indexOf('\n') == line.length() - 1, line);
        try (var left = Files.list(dir.resolve("tmp"))) {
            assertEquals(List.of(), left.toList());
        }
    }

    @Test
    void keysAtTheLimitGoInAndComeOut() throws Exception {
        write("deep.xml", XML.formatted("/LM" + "/k".repeat(511), "").getBytes(StandardCharsets.UTF_8));
        write("deep.reg", REG.formatted("[HKEY_LOCAL_MACHINE" + "\\k".repeat(512) + "]").getBytes(StandardCharsets.UTF_8));
        List<Object> image = run(dir, "from-metabase", "deep.xml", "--registry", "deep.reg");
        write("deep.json", ((String) image.get(1)).getBytes(StandardCharsets.UTF_8));
        assertTrue(((String) run(dir, "to-metabase", "deep.json").get(1)).contains("Location =\"/LM" + "/k".repeat(511) + "\""));
    }

    /** The status, standard output and standard error of a run of the tool, its files named in {@code dir}. */
    static List<Object> run(Path dir, String... words) throws Exception {
        String[] args = Arrays.stream(words).map(w -> w.contains(".") ? dir.resolve(w).toString() : w).toArray(String[]::new);
        ByteArrayOutputStream out = new ByteArrayOutputStream(), err = new ByteArrayOutputStream();
        PrintStream o = new PrintStream(out, true, StandardCharsets.UTF_8), e = new PrintStream(err, true, StandardCharsets.UTF_8);
        Path temporary = Files.createDirectories(dir.resolve("tmp"));
        int status = words[0].equals("generate") ? Preview.execute(new MetabaseGenerator(), Arrays.copyOfRange(args, 1, args.length), o, e)
                : Preview.run(args, o, e, temporary);
        return List.of(status, out.toString(StandardCharsets.UTF_8), err.toString(StandardCharsets.UTF_8).replace(dir + "/", ""));
    }

    private void write(String name, byte[] bytes) throws Exception {
        Files.write(dir.resolve(name), bytes);
    }
}
