package com.vantora.adminserver.preview;

import com.vantora.adminserver.helper.ws.IISConfigure;
import java.io.IOException;

/** The demo's calls, one line each: what was asked and what the library answered. */
final class DemoCalls {
    private DemoCalls() {
    }

    public static void main(String[] args) throws IOException {
        // the library is loaded while the parent writes the image, which a line on standard input says is there
        IISConfigure.isAvailable();
        if (System.in.read() != '\n') {
            System.exit(1);  // the parent gave up
        }
        show("jniIsIISInstalled()", yesNo(IISConfigure.jniIsIISInstalled()));
        show("jniIsIISWebserverRunning()", yesNo(IISConfigure.jniIsIISWebserverRunning()));
        IISConfigure.jniStartIISAdminService();
        show("jniStartIISAdminService()", "requested (the method gives no answer)");
        show("jniIsIISWebserverRunning()", yesNo(IISConfigure.jniIsIISWebserverRunning()));
        show("jniBackupMetabase(\"before-demo\")", yesNo(IISConfigure.jniBackupMetabase("before-demo")));
        show("jniGetDocumentRootPath()", text(IISConfigure.jniGetDocumentRootPath()));
        show("jniCreateVirtualDirectory(\"docs\", \"C:\\Inetpub\\docs\")",
                yesNo(IISConfigure.jniCreateVirtualDirectory("docs", "C:\\Inetpub\\docs")));
        show("jniCreateJakartaVirtualDirectory(\"jakarta\", \"C:\\tomcat\\bin\\win32\")",
                yesNo(IISConfigure.jniCreateJakartaVirtualDirectory("jakarta", "C:\\tomcat\\bin\\win32")));
        show("jniGetDefaultEncoding()", text(IISConfigure.jniGetDefaultEncoding()));
        IISConfigure.jniSetDefaultEncoding("utf-8");
        show("jniSetDefaultEncoding(\"utf-8\")", "done (the method gives no answer)");
        show("jniGetDefaultEncoding()", text(IISConfigure.jniGetDefaultEncoding()));
        show("jniStartDefaultWebsite()", yesNo(IISConfigure.jniStartDefaultWebsite()));
        FilterDemoCalls.run();
        registryCalls();
    }

    private static void registryCalls() {
        IISConfigure.jniCreateJakartaRegistryEntries("C:\\jakarta\\logs\\isapi.log",
                "C:\\jakarta\\conf\\workers.properties", "C:\\jakarta\\conf\\uriworkermap.properties",
                "isapi_redirect.dll");
        show("jniCreateJakartaRegistryEntries(..., \"isapi_redirect.dll\")", "done (no answer)");
        IISConfigure.jniCreatePHPINIRegistryEntries("C:\\PHP");
        show("jniCreatePHPINIRegistryEntries(\"C:\\PHP\")", "done (no answer)");
        IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\PHP");
        show("jniAddPHPPathToEnvironmentVariable(\"C:\\PHP\")", "done (no answer)");
    }

    private static String text(String answer) {
        return answer == null ? "null" : "\"" + answer + "\"";
    }

    private static String yesNo(boolean answer) {
        return answer ? "true" : "false";
    }

    private static void show(String call, String answer) {
        System.out.printf("  %-60s -> %s%n", call, answer);
    }
}
