package com.vantora.adminserver.demo;

import com.vantora.adminserver.helper.ws.IISConfigure;

/** The demo's calls, one line each: what was asked and what the library answered. */
final class DemoCalls {
    private DemoCalls() {
    }

    public static void main(String[] args) {
        show("jniIsIISInstalled()", yesNo(IISConfigure.jniIsIISInstalled()));
        show("jniIsIISWebserverRunning()", yesNo(IISConfigure.jniIsIISWebserverRunning()));
        IISConfigure.jniStartIISAdminService();
        show("jniStartIISAdminService()", "requested (the method gives no answer)");
        show("jniIsIISWebserverRunning()", yesNo(IISConfigure.jniIsIISWebserverRunning()));
        FilterDemoCalls.run();
    }

    private static String yesNo(boolean answer) {
        return answer ? "true" : "false";
    }

    private static void show(String call, String answer) {
        System.out.printf("  %-60s -> %s%n", call, answer);
    }
}
