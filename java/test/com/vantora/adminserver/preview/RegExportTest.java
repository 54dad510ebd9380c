package com.vantora.adminserver.preview;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.ImageModel.RegistryKey;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.Test;

class RegExportTest {
    /** Keys of the capture as the editor exported them: text escaped, a long hex value wrapped. */
    @Test
    void keysAreWrittenAsTheEditorWritesThem() throws Exception {
        byte[] capture = Files.readAllBytes(MetabaseXmlTest.FIXTURES.resolve("office-software.reg"));
        Map<String, RegistryKey> registry = new LinkedHashMap<>();
        RegFile.merge(capture, "office-software.reg", registry);
        Image image = new Image(null, null, null, null, registry, null, null, null, Map.of());
        String expected = new String(capture, StandardCharsets.UTF_16LE);
        expected = expected.substring(0, expected.indexOf("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Office Tools"));
        RegExport reg = new RegExport();
        for (String key : List.of("HKLM\\SOFTWARE\\PHP", "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment")) {
            RegExport.Found found = RegExport.find(image, key);
            reg.key(found.path());
            found.key().values().forEach(reg::value);
        }
        assertEquals(expected, new String(reg.bytes(), StandardCharsets.UTF_16LE));
    }
}
