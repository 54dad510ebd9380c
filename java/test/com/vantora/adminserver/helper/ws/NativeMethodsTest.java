package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.SimulatedHost;
import java.util.Map;
import java.util.function.Consumer;
import org.junit.jupiter.api.AfterEach;

/** The JVM tests of the native methods, against the simulated host in this process. */
abstract class NativeMethodsTest {
    static {
        // The library first, so that the test support shares its host.
        if (!IISConfigure.isAvailable()) {
            throw new AssertionError(IISConfigure.loadFailure());
        }
    }

    /** The stock image, changed by the editor, becomes the host. */
    @SuppressWarnings("unchecked")
    static void reset(Consumer<Map<String, Object>> editor) {
        Map<String, Object> image = (Map<String, Object>) Json.parse(SimulatedHost.stockImage());
        editor.accept(image);
        SimulatedHost.reset(Json.write(image));
    }

    static HostImage image() {
        return HostImage.parse(SimulatedHost.image());
    }

    @AfterEach
    void nothingLeftOpen() {
        assertArrayEquals(new int[] {0, 0, 0, 0}, SimulatedHost.openResources(),
                "open metabase handles, registry keys, service handles, COM references");
    }
}
