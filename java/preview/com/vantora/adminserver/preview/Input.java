package com.vantora.adminserver.preview;

import com.vantora.winsim.image.Limits;
import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;

/** A file the tools were given, read whole within the size limit and decoded strictly. */
final class Input {
    private Input() {
    }

    static byte[] bytes(Path file) throws BadInput {
        String tooLarge = "larger than the " + (Limits.FILE_BYTES >> 20) + " MB an input may be";
        if (Files.isRegularFile(file) && file.toFile().length() > Limits.FILE_BYTES) {
            throw new BadInput(file.toString(), 0, tooLarge);
        }
        // a pipe has no size to ask for
        try (InputStream in = Files.newInputStream(file)) {
            byte[] bytes = in.readNBytes((int) Limits.FILE_BYTES + 1);
            if (bytes.length > Limits.FILE_BYTES) {
                throw new BadInput(file.toString(), 0, tooLarge);
            }
            return bytes;
        } catch (NoSuchFileException e) {
            throw new BadInput(file.toString(), 0, "no such file");
        } catch (IOException e) {
            throw new BadInput(file.toString(), 0, "cannot read: " + e.getMessage());
        }
    }

    /** UTF-8 text without its byte order mark; UTF-16 is named, since an editor can save it as UTF-8. */
    static String utf8(byte[] b, String file) throws BadInput {
        if (looksUtf16(b)) {
            throw new BadInput(file, 0, "UTF-16 text: save it as UTF-8");
        }
        int skip = b.length >= 3 && (b[0] & 0xFF) == 0xEF && (b[1] & 0xFF) == 0xBB && (b[2] & 0xFF) == 0xBF ? 3 : 0;
        // the String constructor decodes a large file in far less time and memory than a decoder, but puts
        // U+FFFD where the bytes are not UTF-8; only text that holds one needs the strict decoder's verdict
        String text = new String(b, skip, b.length - skip, StandardCharsets.UTF_8);
        if (text.indexOf('\uFFFD') < 0) {
            return text;
        }
        try {
            return StandardCharsets.UTF_8.newDecoder().decode(ByteBuffer.wrap(b, skip, b.length - skip)).toString();
        } catch (CharacterCodingException e) {
            throw new BadInput(file, 0, "not UTF-8 text");
        }
    }

    /** A byte order mark of either order, or a NUL in the first two bytes as ASCII in UTF-16 has. */
    static boolean looksUtf16(byte[] b) {
        return b.length >= 2 && ((b[0] & 0xFF) == 0xFF && (b[1] & 0xFF) == 0xFE
                || (b[0] & 0xFF) == 0xFE && (b[1] & 0xFF) == 0xFF || b[0] == 0 || b[1] == 0);
    }
}
