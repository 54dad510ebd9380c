package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import com.vantora.winsim.SimulatedHost;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;

class WebSiteMethodsTest {
    private static final String ROOT = "metabase /LM/W3SVC/1/ROOT";

    @AfterEach
    void nothingLeftOpen() {
        HostFixture.assertNothingOpen();
    }

    @SuppressWarnings("unchecked")
    private static List<Object> w3svcChildren(Map<String, Object> image) {
        Map<String, Object> key = (Map<String, Object>) ((Map<String, Object>) image.get("iis")).get("metabase");
        for (String name : new String[] {"LM", "W3SVC"}) {
            for (Object child : (List<Object>) key.get("children")) {
                if (name.equals(((Map<String, Object>) child).get("name"))) {
                    key = (Map<String, Object>) child;
                }
            }
        }
        return (List<Object>) key.get("children");
    }

    private static void withoutWebSite() {
        HostFixture.reset(image -> w3svcChildren(image).removeIf(key -> "1".equals(((Map<?, ?>) key).get("name"))));
    }

    @Test
    void documentRootIsTheRootKeysPath() {
        HostFixture.reset(image -> { });
        assertEquals("C:\\Inetpub\\wwwroot", IISConfigure.jniGetDocumentRootPath());
        withoutWebSite();
        assertNull(IISConfigure.jniGetDocumentRootPath());
    }

    @Test
    void encodingIsNullUntilSetThenReadBackEvenWhenEmpty() {
        HostFixture.reset(image -> { });
        assertNull(IISConfigure.jniGetDefaultEncoding(), "IIS 6 keeps its MIME map where the site does not inherit it");
        IISConfigure.jniSetDefaultEncoding("utf-8");
        assertEquals("utf-8", IISConfigure.jniGetDefaultEncoding());
        HostFixture.reset(image -> { });
        IISConfigure.jniSetDefaultEncoding("");
        assertEquals("", IISConfigure.jniGetDefaultEncoding(), "an empty charset is a value, not a failure");
        assertTrue(HostFixture.image().get(ROOT + "  #6015").contains(".htm,text/html;charset="));
    }

    @Test
    void virtualDirectoriesAreSavedToTheImage() {
        HostFixture.reset(image -> { });
        assertTrue(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
        assertTrue(IISConfigure.jniCreateJakartaVirtualDirectory("jk", "C:\\tomcat\\jk"));
        HostImage image = HostFixture.image();
        assertTrue(image.get(ROOT + "/docs  #3001").startsWith(Json.quote("D:\\docs")));
        assertTrue(image.get(ROOT + "/jk  #6016").startsWith("517"), image.get(ROOT + "/jk  #6016"));
        withoutWebSite();
        assertFalse(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
        assertFalse(IISConfigure.jniCreateJakartaVirtualDirectory("jk", "C:\\jk"));
    }

    @Test
    void startWritesTheCommandAndAFailedSaveIsFalse() {
        HostFixture.reset(image -> { });
        assertTrue(IISConfigure.jniStartDefaultWebsite());
        withoutWebSite();
        assertFalse(IISConfigure.jniStartDefaultWebsite());
        // A positive status from the save is not success either.
        HostFixture.reset(image -> image.put("faults", List.of(Map.of("call", "SaveData", "status", 1L))));
        assertFalse(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
    }

    @Test
    void backupAndRestoreByName() {
        HostFixture.reset(image -> { });
        assertFalse(IISConfigure.jniRestoreMetabase("before-install"), "no such backup yet");
        assertTrue(IISConfigure.jniBackupMetabase("before-install"));
        assertTrue(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
        assertNotNull(HostFixture.image().get(ROOT + "/docs  (key)"));
        assertTrue(IISConfigure.jniRestoreMetabase("before-install"));
        assertNull(HostFixture.image().get(ROOT + "/docs  (key)"));
        assertEquals("saved", HostFixture.image().get("backup \"before-install\" v0"));
    }

    @Test
    void aSingleThreadedCallerGetsFailureFromEveryMethod() {
        HostFixture.reset(image -> image.put("caller", Map.of("comApartment", "STA")));
        assertFalse(IISConfigure.jniBackupMetabase("b"));
        assertFalse(IISConfigure.jniRestoreMetabase("b"));
        assertFalse(IISConfigure.jniCreateVirtualDirectory("d", "D:\\d"));
        assertFalse(IISConfigure.jniCreateJakartaVirtualDirectory("d", "D:\\d"));
        assertFalse(IISConfigure.jniStartDefaultWebsite());
        assertNull(IISConfigure.jniGetDocumentRootPath());
        assertNull(IISConfigure.jniGetDefaultEncoding());
        IISConfigure.jniSetDefaultEncoding("utf-8");
        assertEquals(0, SimulatedHost.journal().length - countCalls("CoInitializeEx"), "nothing but the COM start");
    }

    private static long countCalls(String call) {
        return java.util.Arrays.stream(SimulatedHost.journal())
                .filter(line -> line.contains("\"call\":\"" + call + "\"")).count();
    }

    @Test
    void eightThreadsCreatingDirectoriesAtOnceAllSucceed() throws Exception {
        HostFixture.reset(image -> image.put("timeoutScale", 1.0));
        ExecutorService pool = Executors.newFixedThreadPool(8);
        try {
            List<Callable<Boolean>> calls = new ArrayList<>();
            for (int i = 0; i < 8; i++) {
                String name = "dir" + i;
                boolean jakarta = i % 2 == 1;
                calls.add(() -> jakarta ? IISConfigure.jniCreateJakartaVirtualDirectory(name, "D:\\" + name)
                        : IISConfigure.jniCreateVirtualDirectory(name, "D:\\" + name));
            }
            List<Boolean> results = new ArrayList<>();
            for (Future<Boolean> result : pool.invokeAll(calls)) {
                results.add(result.get());
            }
            assertEquals(List.of(true, true, true, true, true, true, true, true), results);
        } finally {
            pool.shutdown();
        }
        HostImage image = HostFixture.image();
        for (int i = 0; i < 8; i++) {
            assertTrue(image.get(ROOT + "/dir" + i + "  #3001").startsWith(Json.quote("D:\\dir" + i)), "dir" + i);
        }
    }
}
