package com.vantora.winsim.image;

/**
 * How much of a capture or an image the tools take in: bounds on what a hostile file can make them hold
 * or recurse over, each stated here and nowhere else.
 */
public final class Limits {
    /** Levels of keys below a root, metabase or registry: the depth Windows documents for the registry. */
    public static final int KEY_DEPTH = 512;
    /** JSON nesting an image needs for keys that deep (two levels a key, a few above the roots). */
    public static final int JSON_NESTING = 2 * KEY_DEPTH + 16;
    public static final long FILE_BYTES = 64L << 20;
    /** One value's bytes as the host stores them (UTF-16 for text). */
    public static final long VALUE_BYTES = 16L << 20;

    private Limits() {
    }

    public static String keyDepthProblem(String what) {
        return what + " nested deeper than " + KEY_DEPTH + " levels";
    }

    public static String valueProblem(String what) {
        return what + " is larger than the " + (VALUE_BYTES >> 20) + " MB a value may hold";
    }
}
