package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import com.vantora.winsim.SimulatedHost;
import java.util.Map;
import org.junit.jupiter.api.Test;

class RegistryMethodsTest extends NativeMethodsTest {
    private static final String REDIRECTOR =
            "registry HKLM\\SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";
    private static final String ENVIRONMENT =
            "registry HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

    @Test
    void eachMethodWritesAndRemovesItsEntries() {
        HostFixture.reset(image -> { });
        String stockPath = HostFixture.image().get(ENVIRONMENT + "  Path");
        IISConfigure.jniCreateJakartaRegistryEntries("C:\\jk\\isapi.log", "C:\\jk\\workers.properties",
                "C:\\jk\\uriworkermap.properties", "isapi_redirect.dll");
        IISConfigure.jniCreatePHPINIRegistryEntries("C:\\PHP");
        IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\PHP");
        HostImage image = HostFixture.image();
        assertEquals("REG_SZ " + Json.quote("/jakarta/isapi_redirect.dll"), image.get(REDIRECTOR + "  extension_uri"));
        assertEquals("REG_SZ " + Json.quote("C:\\PHP"), image.get("registry HKLM\\SOFTWARE\\PHP  IniFilePath"));
        assertEquals("REG_EXPAND_SZ "
                + Json.quote("C:\\PHP;%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem"),
                image.get(ENVIRONMENT + "  Path"));
        assertEquals("message 26 lParam \"Environment\" flags 2 timeout 10", image.get("broadcast 1"));
        IISConfigure.jniRemoveJakartaRegistryEntries();
        IISConfigure.jniRemovePHPINIRegistryEntries();
        IISConfigure.jniRemovePHPPathFromEnvironmentVariable("C:\\PHP");
        image = HostFixture.image();
        assertNull(image.get("registry HKLM\\SOFTWARE\\Apache Software Foundation  (key)"));
        assertNull(image.get("registry HKLM\\SOFTWARE\\PHP  (key)"));
        assertEquals(stockPath, image.get(ENVIRONMENT + "  Path"));
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
