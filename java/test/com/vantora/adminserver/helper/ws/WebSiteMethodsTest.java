package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.Json;
import org.junit.jupiter.api.Test;

class WebSiteMethodsTest extends NativeMethodsTest {
    private static final String ROOT = "metabase /LM/W3SVC/1/ROOT";

    @Test
    void eachMethodAnswersAndTheImageShowsItsArguments() {
        reset(image -> { });
        assertEquals("C:\\Inetpub\\wwwroot", IISConfigure.jniGetDocumentRootPath());
        assertNull(IISConfigure.jniGetDefaultEncoding(), "IIS 6 keeps its MIME map where the site does not inherit it");
        IISConfigure.jniSetDefaultEncoding("");
        assertEquals("", IISConfigure.jniGetDefaultEncoding(), "an empty charset is a value, not a failure");
        assertFalse(IISConfigure.jniRestoreMetabase("before-install"), "no such backup yet");
        assertTrue(IISConfigure.jniBackupMetabase("before-install"));
        assertTrue(IISConfigure.jniCreateVirtualDirectory("docs", "D:\\docs"));
        assertTrue(IISConfigure.jniCreateJakartaVirtualDirectory("jk", "C:\\tomcat\\jk"));
        assertTrue(IISConfigure.jniStartDefaultWebsite());
        HostImage image = image();
        assertTrue(image.get(ROOT + "/docs  #3001").startsWith(Json.quote("D:\\docs")));
        assertTrue(image.get(ROOT + "/jk  #3001").startsWith(Json.quote("C:\\tomcat\\jk")));
        assertTrue(image.get(ROOT + "/jk  #6016").startsWith("517"), "execute access: the Jakarta operation ran");
        assertTrue(IISConfigure.jniRestoreMetabase("before-install"));
        assertNull(image().get(ROOT + "/docs  (key)"));
    }
}
