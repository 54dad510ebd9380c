package com.vantora.adminserver.preview;

/** An input the tools refuse, said in one line: the file, the line when there is one, and the problem. */
public final class BadInput extends Exception {
    private static final long serialVersionUID = 1L;

    public BadInput(String file, int line, String problem) {
        super(file + (line > 0 ? ":" + line : "") + ": " + problem);
    }
}
