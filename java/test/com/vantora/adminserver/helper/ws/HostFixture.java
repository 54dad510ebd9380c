package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import com.vantora.winsim.SimulatedHost;
import java.util.List;
import java.util.Map;
import java.util.function.Consumer;

/** Sets the simulated host up for a test and reads it back. */
final class HostFixture {
    static {
        // The library first, so that the test support shares its host.
        try {
            Class.forName(IISConfigure.class.getName());
        } catch (ClassNotFoundException e) {
            throw new AssertionError(e);
        }
    }

    private HostFixture() {
    }

    /** The stock image, changed by the editor, becomes the host. */
    @SuppressWarnings("unchecked")
    static void reset(Consumer<Map<String, Object>> editor) {
        Map<String, Object> image = (Map<String, Object>) Json.parse(SimulatedHost.stockImage());
        editor.accept(image);
        SimulatedHost.reset(Json.write(image));
    }

    @SuppressWarnings("unchecked")
    static void setService(Map<String, Object> image, String name, String field, long value) {
        for (Object service : (List<Object>) image.get("services")) {
            Map<String, Object> fields = (Map<String, Object>) service;
            if (name.equals(fields.get("name"))) {
                fields.put(field, value);
            }
        }
    }

    static HostImage image() {
        return HostImage.parse(SimulatedHost.image());
    }

    static void assertNothingOpen() {
        assertArrayEquals(new int[] {0, 0, 0, 0}, SimulatedHost.openResources(),
                "open metabase handles, registry keys, service handles, COM references");
    }
}
