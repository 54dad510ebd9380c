package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.SimulatedHost;
import org.junit.jupiter.api.Test;

class RegistryMethodsTest extends NativeMethodsTest {
    private static final String REDIRECTOR =
            "registry HKLM\\SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0  ";
    private static final String ENVIRONMENT =
            "registry HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment  ";

    @Test
    void eachMethodWritesAndRemovesItsEntriesWithItsArgumentsInOrder() {
        reset(image -> { });
        String stockPath = image().get(ENVIRONMENT + "Path");
        IISConfigure.jniCreateJakartaRegistryEntries("log", "workers", "mount", "ext.dll");
        IISConfigure.jniCreatePHPINIRegistryEntries("C:\\PHP\\ini");
        IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\PHP");
        HostImage image = image();
        String[][] values = {{REDIRECTOR + "log_file", "log"}, {REDIRECTOR + "worker_file", "workers"},
            {REDIRECTOR + "worker_mount_file", "mount"}, {REDIRECTOR + "extension_uri", "/jakarta/ext.dll"},
            {"registry HKLM\\SOFTWARE\\PHP  IniFilePath", "C:\\PHP\\ini"}, {ENVIRONMENT + "PHPRC", "C:\\PHP"}};
        for (String[] value : values) {
            assertEquals("REG_SZ " + Json.quote(value[1]), image.get(value[0]), value[0]);
        }
        IISConfigure.jniRemoveJakartaRegistryEntries();
        IISConfigure.jniRemovePHPINIRegistryEntries();
        IISConfigure.jniRemovePHPPathFromEnvironmentVariable("C:\\PHP");
        image = image();
        assertNull(image.get("registry HKLM\\SOFTWARE\\Apache Software Foundation  (key)"));
        assertNull(image.get("registry HKLM\\SOFTWARE\\PHP  (key)"));
        assertEquals(stockPath, image.get(ENVIRONMENT + "Path"));
    }

    @Test
    void aNullAmongTheArgumentsChangesNothing() {
        reset(image -> { });
        String before = SimulatedHost.image();
        IISConfigure.jniCreateJakartaRegistryEntries("log", null, "mount", "ext.dll");
        assertEquals(before, SimulatedHost.image());
    }
}
