package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.adminserver.demo.HostImage;
import com.vantora.adminserver.demo.Json;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.Test;

class WebSiteMethodsTest extends NativeMethodsTest {
    private static final String ROOT = "metabase /LM/W3SVC/1/ROOT";

    @Test
    void eachMethodAnswersAndTheImageShowsWhatItDid() {
        HostFixture.reset(image -> { });
        assertEquals("C:\\Inetpub\\wwwroot", IISConfigure.jniGetDocumentRootPath());
        assertNull(IISConfigure.jniGetDefaultEncoding(), "IIS 6 keeps its MIME map where the site does not inherit it");
        IISConfigure.jniSetDefaultEncoding("");
        assertEquals("", IISConfigure.jniGetDefaultEncoding(), "an empty charset is a value, not a failure");
        assertFalse(IISConfigure.jniRestoreMetabase("before-install"), "no such backup yet");
        assertTrue(IISConfigure.jniBackupMetabase("before-install"));
        assertTrue(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
        assertTrue(IISConfigure.jniCreateJakartaVirtualDirectory("jk", "C:\\tomcat\\jk"));
        assertTrue(IISConfigure.jniStartDefaultWebsite());
        HostImage image = HostFixture.image();
        assertTrue(image.get(ROOT + "  #6015").contains(".htm,text/html;charset=\""), image.get(ROOT + "  #6015"));
        assertTrue(image.get(ROOT + "/docs  #3001").startsWith(Json.quote("D:\\docs")));
        assertTrue(image.get(ROOT + "/jk  #6016").startsWith("517"), image.get(ROOT + "/jk  #6016"));
        assertEquals("saved", image.get("backup \"before-install\" v0"));
        assertTrue(IISConfigure.jniRestoreMetabase("before-install"));
        assertNull(HostFixture.image().get(ROOT + "/docs  (key)"));
    }

    @Test
    void eightThreadsCreatingDirectoriesAtOnceAllSucceed() throws Exception {
        HostFixture.reset(image -> image.put("timeoutScale", 1.0));
        ExecutorService pool = Executors.newFixedThreadPool(8);
        List<Boolean> results = new ArrayList<>();
        try {
            List<Callable<Boolean>> calls = new ArrayList<>();
            for (int i = 0; i < 8; i++) {
                String name = "dir" + i;
                boolean jakarta = i % 2 == 1;
                calls.add(() -> jakarta ? IISConfigure.jniCreateJakartaVirtualDirectory(name, "D:\\" + name)
                        : IISConfigure.jniCreateVirtualDirectory(name, "D:\\" + name));
            }
            for (Future<Boolean> result : pool.invokeAll(calls)) {
                results.add(result.get());
            }
        } finally {
            pool.shutdown();
        }
        assertEquals(Collections.nCopies(8, true), results);
        HostImage image = HostFixture.image();
        for (int i = 0; i < 8; i++) {
            assertTrue(image.get(ROOT + "/dir" + i + "  #3001").startsWith(Json.quote("D:\\dir" + i)), "dir" + i);
        }
    }
}
