package com.vantora.adminserver.helper.ws;

/**
 * Configures IIS on this machine through the native library {@code iisconfigure}.
 * Every method does one task from start to finish; none throws.
 */
public final class IISConfigure {
    static {
        System.loadLibrary("iisconfigure");
    }

    private IISConfigure() {
    }

    /** Whether the web service W3SVC runs (paused and pending states count as running). */
    public static native boolean jniIsIISWebserverRunning();

    /** Asks for the start of the IIS admin service; gives no sign of the outcome. */
    public static native void jniStartIISAdminService();

    /** Whether the IIS admin service is installed and may be fully controlled by this caller. */
    public static native boolean jniIsIISInstalled();
}
