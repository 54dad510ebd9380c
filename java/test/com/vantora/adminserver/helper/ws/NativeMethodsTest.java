package com.vantora.adminserver.helper.ws;

import org.junit.jupiter.api.AfterEach;

/** The JVM tests of the native methods: every call leaves nothing open in the host. */
abstract class NativeMethodsTest {
    @AfterEach
    void nothingLeftOpen() {
        HostFixture.assertNothingOpen();
    }
}
