package com.vantora.adminserver.preview;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;

/** A file the tools write for the user. */
final class Output {
    private Output() {
    }

    /**
     * The bytes as the file, written beside it and renamed over it at once: a rename replaces a link someone
     * planted there rather than writing through it, and a failed write leaves the old file and nothing else.
     */
    static void replace(Path file, byte[] bytes) throws IOException {
        Path staged = Files.createTempFile(file.toAbsolutePath().getParent(), ".iisconfigure-", ".part");
        try {
            Files.write(staged, bytes);
            Files.move(staged, file, StandardCopyOption.ATOMIC_MOVE);
        } catch (IOException e) {
            Files.deleteIfExists(staged);
            throw e;
        }
    }
}
