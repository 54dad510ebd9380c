package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.Json;
import org.junit.jupiter.api.Test;

class FilterMethodsTest extends NativeMethodsTest {
    private static final String FILTERS = "metabase /LM/W3SVC/Filters";
    private static final String MODULE = "C:\\PHP\\php5isapi.dll";

    @Test
    void eachMethodAnswersAndTheImageShowsItsArguments() {
        reset(image -> { });
        assertFalse(IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        assertFalse(IISConfigure.jniIsPHPEnabled());
        assertTrue(IISConfigure.jniInstallIsapiRedirectFilter("jakarta", "C:\\jk\\isapi_redirect.dll"));
        assertTrue(IISConfigure.jniInstallVantoraPHPModule(MODULE));
        assertTrue(IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        assertTrue(IISConfigure.jniIsPHPEnabled());
        IISConfigure.jniUpateWebExRestrictionList("PHP,PHP ISAPI", MODULE);
        HostImage image = image();
        assertTrue(image.get(FILTERS + "/jakarta  #2041").startsWith(Json.quote("C:\\jk\\isapi_redirect.dll")));
        assertTrue(image.get(FILTERS + "/PHP  #2041").startsWith(Json.quote(MODULE)));
        String list = image.get("metabase /LM/W3SVC  #2168");
        assertTrue(list.contains(Json.quote("1," + MODULE + ",1,PHP,PHP ISAPI") + "]"), list);
    }
}
