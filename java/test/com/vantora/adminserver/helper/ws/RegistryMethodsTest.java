package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import com.vantora.winsim.SimulatedHost;
import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;

class RegistryMethodsTest {
    private static final String REDIRECTOR =
            "registry HKLM\\SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";
    private static final String ENVIRONMENT =
            "registry HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

    @AfterEach
    void nothingLeftOpen() {
        HostFixture.assertNothingOpen();
    }

    private static String text(String value) {
        return "REG_SZ " + Json.quote(value);
    }

    @Test
    void redirectorEntriesAreWrittenAndRemoved() {
        HostFixture.reset(image -> { });
        IISConfigure.jniCreateJakartaRegistryEntries("C:\\jk\\isapi.log", "C:\\jk\\workers.properties",
                "C:\\jk\\uriworkermap.properties", "isapi_redirect.dll");
        HostImage image = HostFixture.image();
        assertEquals(text("C:\\jk\\isapi.log"), image.get(REDIRECTOR + "  log_file"));
        assertEquals(text("error"), image.get(REDIRECTOR + "  log_level"));
        assertEquals(text("C:\\jk\\workers.properties"), image.get(REDIRECTOR + "  worker_file"));
        assertEquals(text("C:\\jk\\uriworkermap.properties"), image.get(REDIRECTOR + "  worker_mount_file"));
        assertEquals(text("/jakarta/isapi_redirect.dll"), image.get(REDIRECTOR + "  extension_uri"));
        IISConfigure.jniRemoveJakartaRegistryEntries();
        assertNull(HostFixture.image().get("registry HKLM\\SOFTWARE\\Apache Software Foundation  (key)"));
    }

    @Test
    void phpIniLocationIsWrittenAndRemoved() {
        HostFixture.reset(image -> { });
        IISConfigure.jniCreatePHPINIRegistryEntries("C:\\PHP");
        assertEquals(text("C:\\PHP"), HostFixture.image().get("registry HKLM\\SOFTWARE\\PHP  IniFilePath"));
        IISConfigure.jniRemovePHPINIRegistryEntries();
        assertNull(HostFixture.image().get("registry HKLM\\SOFTWARE\\PHP  (key)"));
    }

    @SuppressWarnings("unchecked")
    private static Object broadcasts() {
        return ((Map<String, Object>) Json.parse(SimulatedHost.image())).get("broadcasts");
    }

    @Test
    void phpFolderGoesOnThePathWithABroadcastAndComesOffAgain() {
        HostFixture.reset(image -> { });
        String stockPath = HostFixture.image().get(ENVIRONMENT + "  Path");
        IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\PHP");
        HostImage image = HostFixture.image();
        assertEquals("REG_EXPAND_SZ "
                + Json.quote("C:\\PHP;%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem"),
                image.get(ENVIRONMENT + "  Path"));
        assertEquals(text("C:\\PHP"), image.get(ENVIRONMENT + "  PHPRC"));
        List<Object> broadcast = List.of(Map.of("window", 65535L, "message", 26L, "wParam", 0L,
                "lParam", "Environment", "flags", 2L, "timeout", 10L));
        assertEquals(broadcast, broadcasts());
        IISConfigure.jniRemovePHPPathFromEnvironmentVariable("C:\\PHP");
        image = HostFixture.image();
        assertEquals(stockPath, image.get(ENVIRONMENT + "  Path"));
        assertEquals(text("C:\\PHP"), image.get(ENVIRONMENT + "  PHPRC"), "the removal leaves PHPRC");
        assertEquals(broadcast, broadcasts(), "the removal sends nothing");
    }

    @Test
    @SuppressWarnings("unchecked")
    void withoutAdministrativeRightsNothingChangesAndNothingThrows() {
        HostFixture.reset(image -> ((Map<String, Object>) image.get("caller")).put("administrator", false));
        String before = SimulatedHost.image();
        IISConfigure.jniCreateJakartaRegistryEntries("a", "b", "c", "d");
        IISConfigure.jniCreatePHPINIRegistryEntries("C:\\PHP");
        IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\PHP");
        IISConfigure.jniRemovePHPPathFromEnvironmentVariable("System32");
        IISConfigure.jniRemovePHPINIRegistryEntries();
        IISConfigure.jniRemoveJakartaRegistryEntries();
        assertEquals(before, SimulatedHost.image());
    }
}
