package com.vantora.winsim;

/**
 * The tests' window on the simulated Windows host that the library runs against
 * in this process. Load the library under test first, so that both share one host.
 */
public final class SimulatedHost {
    static {
        System.loadLibrary("winsim_jni");
    }

    private SimulatedHost() {
    }

    /** Replaces the whole host with an image; IllegalArgumentException when it is not one. */
    public static native void reset(String image);

    /** The built-in stock image: a fresh server with IIS 6. */
    public static native String stockImage();

    /** The image as the host would write it now. */
    public static native String image();

    /** Open metabase handles, registry keys, service handles and COM references, in that order. */
    public static native int[] openResources();
}
