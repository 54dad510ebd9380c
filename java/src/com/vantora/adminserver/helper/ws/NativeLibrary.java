package com.vantora.adminserver.helper.ws;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.AtomicMoveNotSupportedException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.PosixFilePermission;
import java.nio.file.attribute.PosixFilePermissions;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;
import java.util.Set;

/**
 * Finds and loads the native library of {@link IISConfigure}: the file named by the system property
 * {@code iisconfigure.library}, else the library on {@code java.library.path}, else this platform's copy
 * carried in the jar.
 */
final class NativeLibrary {
    static final String PROPERTY = "iisconfigure.library";

    /** A folder of natives in the jar, under natives/ beside this class; its files in load order. */
    enum Platform {
        LINUX_X86_64("linux-x86_64", "libwinsim.so", "libiisconfigure.so"),
        WINDOWS_X86_64("windows-x86_64", "iisconfigure.dll"),
        WINDOWS_X86("windows-x86", "iisconfigure.dll");

        final String folder;
        final List<String> files;

        Platform(String folder, String... files) {
            this.folder = folder;
            this.files = List.of(files);
        }
    }

    private static final Set<PosixFilePermission> OWNER_ONLY = PosixFilePermissions.fromString("rwx------");

    /** Where the library was loaded from, or null. */
    private static String source;

    private NativeLibrary() {
    }

    static String source() {
        return source;
    }

    /** Loads the library; null when it is loaded, otherwise why not. Never throws. */
    static String load() {
        String named = System.getProperty(PROPERTY);
        if (named != null) {
            try {
                System.load(named);
                source = named;
                return null;
            } catch (RuntimeException | LinkageError e) {
                return PROPERTY + "=" + named + ": " + e.getMessage();
            }
        }
        String pathFailure;
        try {
            System.loadLibrary("iisconfigure");
            source = "java.library.path";
            return null;
        } catch (RuntimeException | LinkageError e) {
            pathFailure = e.getMessage();
        }
        try {
            Platform platform = platformOf(System.getProperty("os.name"), System.getProperty("os.arch"));
            Path library = extract(platform, cacheRoot());
            source = library.toString();
            return null;
        } catch (IOException | RuntimeException | LinkageError e) {
            return pathFailure + "; the copy in the jar: " + e.getMessage();
        }
    }

    /** The natives a JVM on that system needs, by the values of os.name and os.arch. */
    static Platform platformOf(String osName, String osArch) {
        String os = osName == null ? "" : osName.toLowerCase(Locale.ROOT);
        String arch = osArch == null ? "" : osArch.toLowerCase(Locale.ROOT);
        boolean x64 = arch.equals("amd64") || arch.equals("x86_64");
        boolean x86 = arch.equals("x86") || arch.matches("i[3-6]86");
        if (os.startsWith("windows") && x64) {
            return Platform.WINDOWS_X86_64;
        }
        if (os.startsWith("windows") && x86) {
            return Platform.WINDOWS_X86;
        }
        if (os.equals("linux") && x64) {
            return Platform.LINUX_X86_64;
        }
        throw new UnsatisfiedLinkError("no natives in this jar for os.name=" + osName + ", os.arch=" + osArch
                + " (it has linux-x86_64, windows-x86_64 and windows-x86)");
    }

    /**
     * Copies the platform's natives into a folder named by their hash under the root, unless they are there
     * already, and loads them. A file is loaded only after its bytes have been checked against the jar's.
     */
    static Path extract(Platform platform, Path root) throws IOException {
        List<byte[]> contents = new ArrayList<>();
        List<byte[]> hashes = new ArrayList<>();
        MessageDigest all = sha256();
        for (String file : platform.files) {
            String resource = "natives/" + platform.folder + "/" + file;
            try (InputStream in = NativeLibrary.class.getResourceAsStream(resource)) {
                if (in == null) {
                    throw new IOException(resource + " is not in the jar");
                }
                byte[] bytes = in.readAllBytes();
                contents.add(bytes);
                hashes.add(sha256().digest(bytes));
                all.update(hashes.get(hashes.size() - 1));
            }
        }
        String version = IISConfigure.class.getPackage().getImplementationVersion();
        Path folder = privateFolder(privateFolder(root).resolve(
                (version == null ? "dev" : version) + "-" + hex(all.digest()).substring(0, 32)));
        Path library = null;
        for (int i = 0; i < contents.size(); i++) {
            library = folder.resolve(platform.files.get(i));
            if (!holds(library, hashes.get(i))) {
                place(library, contents.get(i), hashes.get(i));
            }
        }
        for (String file : platform.files) {
            System.load(folder.resolve(file).toString());
        }
        return library;
    }

    private static void place(Path target, byte[] bytes, byte[] hash) throws IOException {
        Path part = Files.createTempFile(target.getParent(), target.getFileName().toString(), ".part");
        try {
            Files.write(part, bytes);
            try {
                Files.move(part, target, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
            } catch (AtomicMoveNotSupportedException e) {
                Files.move(part, target, StandardCopyOption.REPLACE_EXISTING);
            }
        } catch (IOException e) {
            // Another JVM may have put the same file there and hold it open (Windows refuses the replace).
            if (!holds(target, hash)) {
                throw e;
            }
        } finally {
            Files.deleteIfExists(part);
        }
        if (!holds(target, hash)) {
            throw new IOException(target + " does not hold the jar's copy");
        }
    }

    private static boolean holds(Path file, byte[] hash) throws IOException {
        return Files.isRegularFile(file) && Arrays.equals(sha256().digest(Files.readAllBytes(file)), hash);
    }

    private static Path privateFolder(Path folder) throws IOException {
        if (!folder.getFileSystem().supportedFileAttributeViews().contains("posix")) {
            return Files.createDirectories(folder);
        }
        if (!Files.isDirectory(folder)) {
            Files.createDirectories(folder, PosixFilePermissions.asFileAttribute(OWNER_ONLY));
        }
        // Fails unless this user owns the folder.
        Files.setPosixFilePermissions(folder, OWNER_ONLY);
        return folder;
    }

    private static Path cacheRoot() {
        String home = System.getProperty("user.home");
        if (System.getProperty("os.name", "").startsWith("Windows")) {
            String local = System.getenv("LOCALAPPDATA");
            return (local != null ? Paths.get(local) : Paths.get(home, "AppData", "Local")).resolve("iisconfigure");
        }
        String cache = System.getenv("XDG_CACHE_HOME");
        return (cache != null && cache.startsWith("/") ? Paths.get(cache) : Paths.get(home, ".cache"))
                .resolve("iisconfigure");
    }

    private static MessageDigest sha256() {
        try {
            return MessageDigest.getInstance("SHA-256");
        } catch (NoSuchAlgorithmException e) {
            throw new IllegalStateException(e);
        }
    }

    private static String hex(byte[] bytes) {
        StringBuilder text = new StringBuilder();
        for (byte b : bytes) {
            text.append(String.format("%02x", b));
        }
        return text.toString();
    }
}
