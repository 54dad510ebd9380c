package com.vantora.adminserver.preview;

import com.vantora.adminserver.helper.ws.IISConfigure;

/** The demo's filter, PHP and restriction list calls; what they change shows in the image's differences. */
final class FilterDemoCalls {
    private static final String MODULE = "C:\\PHP\\php5isapi.dll";

    private FilterDemoCalls() {
    }

    static void run() {
        show("jniIsVantoraPHPInstalled(\"" + MODULE + "\")", IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        show("jniIsPHPEnabled()", IISConfigure.jniIsPHPEnabled());
        show("jniInstallIsapiRedirectFilter(\"jakarta\", \"C:\\tomcat\\bin\\win32\\isapi_redirect.dll\")",
                IISConfigure.jniInstallIsapiRedirectFilter("jakarta", "C:\\tomcat\\bin\\win32\\isapi_redirect.dll"));
        show("jniInstallVantoraPHPModule(\"" + MODULE + "\")", IISConfigure.jniInstallVantoraPHPModule(MODULE));
        IISConfigure.jniUpateWebExRestrictionList("PHP,PHP ISAPI", MODULE);
        System.out.printf("  %-60s -> %s%n", "jniUpateWebExRestrictionList(\"PHP,PHP ISAPI\", \"" + MODULE + "\")",
                "done (the method gives no answer)");
        show("jniIsVantoraPHPInstalled(\"" + MODULE + "\")", IISConfigure.jniIsVantoraPHPInstalled(MODULE));
        show("jniIsPHPEnabled()", IISConfigure.jniIsPHPEnabled());
    }

    private static void show(String call, boolean answer) {
        System.out.printf("  %-60s -> %s%n", call, answer);
    }
}
