package com.vantora.adminserver.helper.ws;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.AccessDeniedException;
import java.nio.file.AtomicMoveNotSupportedException;
import java.nio.file.DirectoryStream;
import java.nio.file.FileAlreadyExistsException;
import java.nio.file.FileSystemException;
import java.nio.file.Files;
import java.nio.file.InvalidPathException;
import java.nio.file.LinkOption;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.BasicFileAttributes;
import java.nio.file.attribute.FileAttribute;
import java.nio.file.attribute.PosixFilePermissions;
import java.nio.file.attribute.UserPrincipal;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/**
 * Finds and loads the native library of {@link IISConfigure}, from the first of:
 * <ol>
 * <li>the file named by the system property {@code iisconfigure.library}, an absolute path (a relative one is
 * refused: it would depend on the working folder); nothing else is tried then;
 * <li>this platform's copy in the jar, whenever the jar carries one. It comes before the library path because a
 * folder on {@code java.library.path} ({@code LD_LIBRARY_PATH}; on Windows also {@code PATH} and the working
 * folder) may hold a library anyone put there, while the jar's copy is loaded from a folder no other user can
 * change, after its bytes have been compared with the jar's;
 * <li>{@code iisconfigure} on {@code java.library.path}, only when the jar carries no natives for this platform
 * (the jar a package installs beside the natives in the system's library folder).
 * </ol>
 *
 * <p>The jar's copy goes into the cache, {@code iisconfigure/VERSION-HASH} under {@code $XDG_CACHE_HOME} or
 * {@code ~/.cache} ({@code %LOCALAPPDATA%} on Windows), when that folder is one only this user can change (see
 * {@code posixFolder}); otherwise into a fresh folder this JVM makes under {@code java.io.tmpdir}, whose files
 * are deleted once loaded (on Windows, where a loaded DLL cannot be deleted, by a later start). Nothing is ever
 * made relative to the working folder.
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

    private static final boolean WINDOWS = System.getProperty("os.name", "").startsWith("Windows");
    private static final String TEMP_PREFIX = "iisconfigure-";
    private static final int TYPE = 0170000;
    private static final int FOLDER = 0040000;
    private static final int LINK = 0120000;
    private static final int STICKY = 01000;

    /** Where the library was loaded from and why there, or null. */
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
                if (!Paths.get(named).isAbsolute()) {
                    return PROPERTY + "=" + named + ": not an absolute path";
                }
                System.load(named);
                source = named + " (named by " + PROPERTY + ")";
                return null;
            } catch (RuntimeException | LinkageError e) {
                return PROPERTY + "=" + named + ": " + e.getMessage();
            }
        }
        String osName = System.getProperty("os.name");
        String osArch = System.getProperty("os.arch");
        Platform platform;
        try {
            platform = platformOf(osName, osArch);
        } catch (UnsatisfiedLinkError e) {
            platform = null;
        }
        if (platform == null || NativeLibrary.class.getResource(resource(platform, platform.files.get(0))) == null) {
            try {
                System.loadLibrary("iisconfigure");
                source = "java.library.path (the jar carries no natives for this platform)";
                return null;
            } catch (RuntimeException | LinkageError e) {
                return e.getMessage() + "; the jar carries no natives for os.name=" + osName + ", os.arch=" + osArch;
            }
        }
        try {
            source = loadCopy(platform);
            return null;
        } catch (IOException | RuntimeException | LinkageError e) {
            return "the copy in the jar: " + e.getMessage();
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

    private static String resource(Platform platform, String file) {
        return "natives/" + platform.folder + "/" + file;
    }

    /** Loads the jar's copy from the cache, or else from a temporary folder; says which and why. */
    private static String loadCopy(Platform platform) throws IOException {
        List<byte[]> contents = new ArrayList<>();
        MessageDigest all = sha256();
        for (String file : platform.files) {
            try (InputStream in = NativeLibrary.class.getResourceAsStream(resource(platform, file))) {
                if (in == null) {
                    throw new IOException(resource(platform, file) + " is not in the jar");
                }
                contents.add(in.readAllBytes());
                all.update(sha256().digest(contents.get(contents.size() - 1)));
            }
        }
        String version = IISConfigure.class.getPackage().getImplementationVersion();
        String name = (version == null ? "dev" : version) + "-" + hex(all.digest()).substring(0, 32);
        String noCache;
        try {
            return loadFrom(cacheFolder(name), platform, contents) + " (the jar's copy, cached)";
        } catch (IOException e) {
            noCache = e.getMessage();
        }
        if (WINDOWS) {
            removeStaleTempFolders();
        }
        Path temp = null;
        try {
            temp = tempFolder();
            return loadFrom(temp, platform, contents) + " (the jar's copy, in a temporary folder of this JVM,"
                    + " as the cache cannot be used: " + noCache + ")";
        } catch (IOException e) {
            throw new IOException("the cache cannot be used: " + noCache + "; nor a temporary folder: "
                    + e.getMessage());
        } finally {
            if (temp != null) {
                remove(temp);
            }
        }
    }

    /** Puts the jar's bytes into the folder where they are not there already and loads them. */
    private static Path loadFrom(Path folder, Platform platform, List<byte[]> contents) throws IOException {
        for (int i = 0; i < contents.size(); i++) {
            Path file = folder.resolve(platform.files.get(i));
            if (!holds(file, contents.get(i))) {
                write(file, contents.get(i));
            }
        }
        // No one but this user and root can add, rename, replace or write anything in the folder: every folder
        // above it is owned by one of them and writable by no one else (or sticky, which keeps others from
        // renaming what they do not own), and the folder itself is open to its owner alone. So each file
        // System.load opens is the file compared with the jar's bytes above; there is nothing to race.
        for (String file : platform.files) {
            System.load(folder.resolve(file).toString());
        }
        return folder.resolve(platform.files.get(platform.files.size() - 1));
    }

    private static boolean holds(Path file, byte[] bytes) throws IOException {
        try {
            BasicFileAttributes attributes = Files.readAttributes(file, BasicFileAttributes.class,
                    LinkOption.NOFOLLOW_LINKS);
            return attributes.isRegularFile() && attributes.size() == bytes.length
                    && Arrays.equals(Files.readAllBytes(file), bytes);
        } catch (NoSuchFileException e) {
            return false;
        } catch (IOException e) {
            throw failure("cannot read", file, e);
        }
    }

    private static void write(Path target, byte[] bytes) throws IOException {
        Path part = null;
        try {
            part = Files.createTempFile(target.getParent(), target.getFileName().toString(), ".part");
            Files.write(part, bytes);
            try {
                Files.move(part, target, StandardCopyOption.ATOMIC_MOVE, StandardCopyOption.REPLACE_EXISTING);
            } catch (AtomicMoveNotSupportedException e) {
                Files.move(part, target, StandardCopyOption.REPLACE_EXISTING);
            }
        } catch (IOException e) {
            // Another JVM may have put the same file there and hold it open (Windows refuses the replace).
            if (!holds(target, bytes)) {
                throw failure("cannot write", target, e);
            }
        } finally {
            if (part != null) {
                try {
                    Files.deleteIfExists(part);
                } catch (IOException e) {
                    // moved or not, it is this user's own leftover
                }
            }
        }
        if (!holds(target, bytes)) {
            throw new IOException(target + " does not hold the jar's copy");
        }
    }

    private static Path cacheFolder(String name) throws IOException {
        String home = System.getProperty("user.home");
        Path root;
        try {
            if (WINDOWS) {
                String local = System.getenv("LOCALAPPDATA");
                root = local != null ? Paths.get(local) : Paths.get(String.valueOf(home), "AppData", "Local");
            } else {
                String cache = System.getenv("XDG_CACHE_HOME");
                root = cache != null && cache.startsWith("/") ? Paths.get(cache)
                        : Paths.get(String.valueOf(home), ".cache");
            }
        } catch (InvalidPathException e) {
            throw new IOException("no usable cache folder: " + e.getMessage());
        }
        // A uid without a passwd entry has user.home "?".
        if (!root.isAbsolute()) {
            throw new IOException("no usable home folder (user.home=" + home + ")");
        }
        root = root.normalize();
        Path folder = root.resolve("iisconfigure").resolve(name);
        return WINDOWS ? windowsFolder(root, folder, root.getFileSystem().getUserPrincipalLookupService()
                .lookupPrincipalByName(System.getProperty("user.name"))) : posixFolder(folder, uid());
    }

    /** The uid the kernel checks file access with: the last figure of the Uid line of /proc/self/status. */
    private static long uid() throws IOException {
        try {
            for (String line : Files.readAllLines(Paths.get("/proc/self/status"))) {
                String[] fields = line.trim().split("\\s+");
                if (fields[0].equals("Uid:") && fields.length == 5) {
                    return Long.parseLong(fields[4]);
                }
            }
        } catch (IOException | NumberFormatException e) {
            // told below
        }
        throw new IOException("cannot tell this process's uid from /proc/self/status");
    }

    /**
     * The folder, once it and every folder above it up to / has been found, without following links, to be a
     * folder owned by this user (uid {@code me}) or root and writable by no one else, unless sticky (as /tmp is:
     * others cannot rename what they do not own there), and the folder itself to be this user's and open to
     * no one else. A POSIX ACL that lets another user write shows as the group write bit. Missing folders are
     * made owner-only on the way, each only after its parent has passed.
     */
    private static Path posixFolder(Path folder, long me) throws IOException {
        Path at = folder.getRoot();
        while (true) {
            Map<String, Object> attributes = attributesMakingFolder(at, "unix:uid,mode",
                    PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
            int mode = (Integer) attributes.get("mode");
            long owner = ((Number) attributes.get("uid")).longValue();
            boolean last = at.equals(folder);
            if ((mode & TYPE) != FOLDER) {
                throw new IOException(at + ((mode & TYPE) == LINK ? " is a symbolic link" : " is not a folder"));
            }
            if (owner != me && (last || owner != 0)) {
                throw new IOException(at + " is owned by uid " + owner + ", not by uid " + me);
            }
            if (last ? (mode & 077) != 0 : (mode & 022) != 0 && (mode & STICKY) == 0) {
                throw new IOException(at + (last ? " is open to other users" : " can be changed by other users")
                        + String.format(" (mode %o)", mode & 07777));
            }
            if (last) {
                return folder;
            }
            at = at.resolve(folder.getName(at.getNameCount()));
        }
    }

    /**
     * The Windows counterpart: from %LOCALAPPDATA% down, each folder owned by this user and not a reparse point
     * (symbolic link or junction). Its ACL is left as the folder inherits it from the user's profile.
     */
    private static Path windowsFolder(Path top, Path folder, UserPrincipal me) throws IOException {
        Path at = top;
        while (true) {
            attributesMakingFolder(at, "basic:isDirectory", null);
            BasicFileAttributes attributes = Files.readAttributes(at, BasicFileAttributes.class,
                    LinkOption.NOFOLLOW_LINKS);
            if (attributes.isSymbolicLink() || attributes.isOther()) {
                throw new IOException(at + " is a reparse point");
            }
            if (!attributes.isDirectory()) {
                throw new IOException(at + " is not a folder");
            }
            UserPrincipal owner = Files.getOwner(at, LinkOption.NOFOLLOW_LINKS);
            if (!owner.equals(me)) {
                throw new IOException(at + " is owned by " + owner.getName() + ", not by " + me.getName());
            }
            if (at.equals(folder)) {
                return folder;
            }
            at = at.resolve(folder.getName(at.getNameCount()));
        }
    }

    private static Map<String, Object> attributesMakingFolder(Path at, String names, FileAttribute<?> ownerOnly)
            throws IOException {
        try {
            return Files.readAttributes(at, names, LinkOption.NOFOLLOW_LINKS);
        } catch (NoSuchFileException missing) {
            try {
                if (ownerOnly == null) {
                    Files.createDirectory(at);
                } else {
                    Files.createDirectory(at, ownerOnly);
                }
            } catch (FileAlreadyExistsException e) {
                // made by another JVM at the same time: checked as any other
            } catch (IOException e) {
                throw failure("cannot write", at, e);
            }
            return Files.readAttributes(at, names, LinkOption.NOFOLLOW_LINKS);
        }
    }

    /** A fresh folder made by this JVM, checked as the cache is. */
    private static Path tempFolder() throws IOException {
        Path base;
        try {
            base = Paths.get(System.getProperty("java.io.tmpdir", "")).normalize();
        } catch (InvalidPathException e) {
            throw new IOException("java.io.tmpdir: " + e.getMessage());
        }
        if (!base.isAbsolute()) {
            throw new IOException("java.io.tmpdir=" + base + " is not an absolute path");
        }
        Path made;
        try {
            made = WINDOWS ? Files.createTempDirectory(base, TEMP_PREFIX) : Files.createTempDirectory(base,
                    TEMP_PREFIX, PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
        } catch (IOException e) {
            throw failure("cannot write in", base, e);
        }
        try {
            // Its owner is whoever this JVM makes the owner of what it creates (on Windows, for an
            // administrator, that may be the Administrators group).
            return WINDOWS ? windowsFolder(made, made, Files.getOwner(made, LinkOption.NOFOLLOW_LINKS))
                    : posixFolder(made,
                    ((Number) Files.getAttribute(made, "unix:uid", LinkOption.NOFOLLOW_LINKS)).longValue());
        } catch (IOException e) {
            remove(made);
            throw e;
        }
    }

    /** Deletes the folder and the files in it, as far as it can. */
    private static void remove(Path folder) {
        try (DirectoryStream<Path> files = Files.newDirectoryStream(folder)) {
            for (Path file : files) {
                try {
                    Files.deleteIfExists(file);
                } catch (IOException e) {
                    // a DLL still loaded: the next start takes it
                }
            }
            Files.deleteIfExists(folder);
        } catch (IOException e) {
            // as above
        }
    }

    /** The temporary folders of JVMs that have ended: their DLLs are no longer loaded, so they can go. */
    private static void removeStaleTempFolders() {
        long hourAgo = System.currentTimeMillis() - 3_600_000;
        try (DirectoryStream<Path> folders = Files.newDirectoryStream(
                Paths.get(System.getProperty("java.io.tmpdir")), TEMP_PREFIX + "*")) {
            for (Path folder : folders) {
                BasicFileAttributes attributes = Files.readAttributes(folder, BasicFileAttributes.class,
                        LinkOption.NOFOLLOW_LINKS);
                // A young folder may be one another JVM is still filling.
                if (attributes.isDirectory() && !attributes.isOther() && !attributes.isSymbolicLink()
                        && attributes.lastModifiedTime().toMillis() < hourAgo) {
                    remove(folder);
                }
            }
        } catch (IOException | RuntimeException e) {
            // nothing to sweep
        }
    }

    /** Names the file and the reason: a write error of the JVM names neither. */
    private static IOException failure(String doing, Path path, IOException e) {
        String reason = e instanceof AccessDeniedException ? "permission denied"
                : e instanceof NoSuchFileException ? "no such file or folder"
                : e instanceof FileSystemException && ((FileSystemException) e).getReason() != null
                        ? ((FileSystemException) e).getReason() : String.valueOf(e.getMessage());
        if (reason.contains("No space left on device")) {
            return new IOException("disk full while writing " + path);
        }
        return new IOException(doing + " " + path + ": " + (reason.isEmpty() ? e.getClass().getSimpleName()
                : reason.substring(0, 1).toLowerCase(Locale.ROOT) + reason.substring(1)));
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
