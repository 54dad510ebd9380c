package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ServiceMethodsTest extends NativeMethodsTest {
    @ParameterizedTest(name = "W3SVC in state {0}")
    @CsvSource({"4, true", "7, true", "1, false"})
    void theThreeMethodsFollowTheServicesAndStartAStoppedAdminService(long state, boolean running) {
        HostFixture.reset(image -> {
            HostFixture.setService(image, "W3SVC", "state", state);
            HostFixture.setService(image, "IISADMIN", "state", 1);
        });
        assertEquals(running, IISConfigure.jniIsIISWebserverRunning());
        assertTrue(IISConfigure.jniIsIISInstalled(), "IISADMIN is there whatever W3SVC does");
        IISConfigure.jniStartIISAdminService();
        assertEquals("running (4), start type 2", HostFixture.image().get("service IISADMIN"));
    }
}
