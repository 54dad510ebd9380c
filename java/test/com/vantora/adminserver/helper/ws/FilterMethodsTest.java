package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

class FilterMethodsTest {
    private static final String FILTERS = "metabase /LM/W3SVC/Filters";
    private static final String SERVICE = "metabase /LM/W3SVC";
    private static final String ROOT = "metabase /LM/W3SVC/1/ROOT";
    private static final String MODULE = "C:\\PHP\\php5isapi.dll";

    @AfterEach
    void nothingLeftOpen() {
        HostFixture.assertNothingOpen();
    }

    @Test
    void theRedirectorIsInstalledAsAFilterAndSaved() {
        HostFixture.reset(image -> { });
        assertTrue(IISConfigure.jniInstallIsapiRedirectFilter("jakarta", "C:\\jk\\isapi_redirect.dll"));
        HostImage image = HostFixture.image();
        assertTrue(image.get(FILTERS + "  #2040").startsWith("\"jakarta\""), image.get(FILTERS + "  #2040"));
        assertTrue(image.get(FILTERS + "/jakarta  #2041").startsWith(Json.quote("C:\\jk\\isapi_redirect.dll")));
        assertTrue(image.get(FILTERS + "/jakarta  #2045").startsWith("\"Jakarta/ISAPI/1.2.2\""));
    }

    @ParameterizedTest(name = "filter name \"{0}\"")
    @ValueSource(strings = {"", "jk,php", "jk/sub"})
    void aNameThatCannotBeAKeyAndAFieldChangesNothing(String name) {
        HostFixture.reset(image -> { });
        HostImage before = HostFixture.image();
        assertFalse(IISConfigure.jniInstallIsapiRedirectFilter(name, "C:\\jk.dll"));
        assertEquals(before.facts(), HostFixture.image().facts());
    }

    @Test
    void thePhpModuleIsInstalledDetectedAndEnabled() {
        HostFixture.reset(image -> { });
        assertFalse(IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        assertFalse(IISConfigure.jniIsPHPEnabled());
        assertTrue(IISConfigure.jniInstallVantoraPHPModule(MODULE));
        assertTrue(IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        assertFalse(IISConfigure.jniIsVantoraPHPInstalled(MODULE.toLowerCase()));
        assertTrue(IISConfigure.jniIsPHPEnabled());
        HostImage once = HostFixture.image();
        for (String key : new String[] {SERVICE, ROOT}) {
            assertTrue(once.get(key + "  #6006").contains("index.php"), key);
            assertTrue(once.get(key + "  #6014").contains(Json.quote(".php," + MODULE + ",5") + "]"), key);
            assertTrue(once.get(key + "  #6016").startsWith("517"), key);
        }
        assertTrue(IISConfigure.jniInstallVantoraPHPModule(MODULE));
        assertEquals(once.facts(), HostFixture.image().facts(), "twice is once");
        assertFalse(IISConfigure.jniInstallVantoraPHPModule(""));
    }

    @Test
    void theExtensionIsAllowedLastAndOnlyOnce() {
        HostFixture.reset(image -> { });
        IISConfigure.jniUpateWebExRestrictionList("PHP,PHP ISAPI", MODULE);
        IISConfigure.jniUpateWebExRestrictionList("PHP,PHP ISAPI", MODULE);
        String list = HostFixture.image().get(SERVICE + "  #2168");
        String entry = Json.quote("1," + MODULE + ",1,PHP,PHP ISAPI");
        assertTrue(list.contains(entry + "]"), list);
        assertEquals(list.indexOf(entry), list.lastIndexOf(entry));
        HostImage before = HostFixture.image();
        IISConfigure.jniUpateWebExRestrictionList("anything", "");
        assertEquals(before.facts(), HostFixture.image().facts(), "an empty path changes nothing");
    }

    @Test
    void aMachineWithoutIisAnswersFalseAndDoesNotThrow() {
        com.vantora.winsim.SimulatedHost.reset("{\"winsim\": 1}");
        assertFalse(IISConfigure.jniInstallIsapiRedirectFilter("jakarta", "C:\\jk.dll"));
        assertFalse(IISConfigure.jniInstallVantoraPHPModule(MODULE));
        assertFalse(IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        assertFalse(IISConfigure.jniIsPHPEnabled());
        IISConfigure.jniUpateWebExRestrictionList("PHP", MODULE);
        assertNull(HostFixture.image().get(SERVICE + "  #2168"));
    }
}
