package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.Test;

class ServiceMethodsTest extends NativeMethodsTest {
    @Test
    @SuppressWarnings("unchecked")
    void theThreeMethodsReachTheServices() {
        reset(image -> ((List<Map<String, Object>>) image.get("services")).forEach(s -> s.put("state", 1)));
        assertFalse(IISConfigure.jniIsIISWebserverRunning());
        assertTrue(IISConfigure.jniIsIISInstalled());
        IISConfigure.jniStartIISAdminService();
        assertEquals("running (4), start type 2", image().get("service IISADMIN"));
    }
}
