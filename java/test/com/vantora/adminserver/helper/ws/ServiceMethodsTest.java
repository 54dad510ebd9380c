package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.winsim.SimulatedHost;
import java.util.Arrays;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class ServiceMethodsTest {
    @AfterEach
    void nothingLeftOpen() {
        HostFixture.assertNothingOpen();
    }

    @ParameterizedTest(name = "W3SVC in state {0}")
    @CsvSource({"4, true", "7, true", "1, false"})
    void webServerRunningFollowsTheServiceState(long state, boolean running) {
        HostFixture.reset(image -> HostFixture.setService(image, "W3SVC", "state", state));
        assertEquals(running, IISConfigure.jniIsIISWebserverRunning());
        assertTrue(IISConfigure.jniIsIISInstalled(), "IISADMIN is there whatever W3SVC does");
        IISConfigure.jniStartIISAdminService();
        assertEquals("running (4), start type 2", HostFixture.image().get("service IISADMIN"));
    }

    @Test
    void startingAStoppedAdminServiceLeavesItRunningInTheImage() {
        HostFixture.reset(image -> HostFixture.setService(image, "IISADMIN", "state", 1));
        assertEquals("stopped (1), start type 2", HostFixture.image().get("service IISADMIN"));
        IISConfigure.jniStartIISAdminService();
        assertEquals("running (4), start type 2", HostFixture.image().get("service IISADMIN"));
        assertTrue(Arrays.stream(SimulatedHost.journal()).anyMatch(line ->
                line.contains("\"call\":\"StartServiceW\"") && line.contains("\"result\":1")));
    }

    @Test
    void aMachineWithoutIisAnswersFalseAndDoesNotThrow() {
        SimulatedHost.reset("{\"winsim\": 1}");
        assertFalse(IISConfigure.jniIsIISInstalled());
        assertFalse(IISConfigure.jniIsIISWebserverRunning());
        IISConfigure.jniStartIISAdminService();
    }
}
