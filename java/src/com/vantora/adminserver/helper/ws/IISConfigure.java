package com.vantora.adminserver.helper.ws;

/**
 * Configures IIS on this machine through the native library {@code iisconfigure}. Every method does one task
 * from start to finish and may be called from several threads at once.
 *
 * <p>What a result means: {@code true} from a boolean method means the task was done (for the queries: the
 * answer is yes); a {@code String} method gives {@code null} when the value cannot be read. The {@code void}
 * methods, those of the registry, the machine {@code Path} and the service start among them, give no sign of
 * the outcome: read the state back where it matters. The metabase methods open every key with a time-out of
 * 1000 ms: a key that another writer holds open for longer makes the call fail, without a retry (a web site
 * held that long is passed over in the search for the default web site).
 *
 * <p>The library is loaded when the class is initialised, from the first of:
 * <ol>
 * <li>the file named by the system property {@code iisconfigure.library}, an absolute path, when it is set
 * (nothing else is tried then; a relative path is refused);
 * <li>this platform's copy in the jar, under {@code com/vantora/adminserver/helper/ws/natives/}
 * {@code windows-x86_64}, {@code windows-x86} (for a 32-bit JVM) or {@code linux-x86_64}, whenever the jar
 * carries one. It is copied into {@code iisconfigure} under {@code %LOCALAPPDATA%} on Windows, under
 * {@code $XDG_CACHE_HOME} or {@code ~/.cache} elsewhere, in a folder named by the hash of its content, when
 * that folder and every folder above it can be changed by this user alone (or root); otherwise into a fresh
 * temporary folder of this JVM. A file is loaded only after its bytes have been compared with the jar's;
 * {@code --version} of the command line says which folder it came from and why;
 * <li>{@code iisconfigure.dll} or {@code libiisconfigure.so} on {@code java.library.path}, only when the jar
 * carries no natives for this platform. The jar's own copy comes first because any user who can write to a
 * folder on the library path (on Windows, the working folder and every {@code PATH} folder among them) could
 * otherwise have their library loaded in its place.
 * </ol>
 * Off Windows the library works on a simulated Windows host, the image file named by the environment
 * variable {@code WINSIM_HOST}.
 *
 * <p>A failed load leaves the class usable: {@link #isAvailable()} is false and {@link #loadFailure()} says
 * why. A native method called then throws {@link UnsatisfiedLinkError}, at every call, as the JVM does for a
 * native method it cannot bind; check {@link #isAvailable()} first. Once this library is loaded, no method
 * throws.
 */
public final class IISConfigure {
    private static final String LOAD_FAILURE = NativeLibrary.load();

    private IISConfigure() {
    }

    /**
     * Whether a native library was loaded. For the jar's own copy that means the native methods can be called.
     * A library named by {@code iisconfigure.library} or found on {@code java.library.path} is not checked:
     * true says only that the file loaded, not that it is this library; a native method it lacks throws
     * {@link UnsatisfiedLinkError} when called.
     */
    public static boolean isAvailable() {
        return LOAD_FAILURE == null;
    }

    /** Why the native library could not be loaded, or null when it is loaded. */
    public static String loadFailure() {
        return LOAD_FAILURE;
    }

    /** Whether the web service W3SVC runs (paused and pending states count as running). */
    public static native boolean jniIsIISWebserverRunning();

    /** Asks for the start of the IIS admin service; gives no sign of the outcome. */
    public static native void jniStartIISAdminService();

    /** Whether the IIS admin service is installed and may be fully controlled by this caller. */
    public static native boolean jniIsIISInstalled();

    /**
     * Writes the Jakarta ISAPI redirector's configuration into the registry: the log file,
     * workers file and worker mount file paths, and the extension's file name under /jakarta/.
     */
    public static native void jniCreateJakartaRegistryEntries(
            String logFile, String workerFile, String workerMountFile, String extensionFileName);

    /** Deletes the redirector's registry keys, from the deepest up, where they hold no other keys. */
    public static native void jniRemoveJakartaRegistryEntries();

    /** Records where PHP finds its configuration file (IniFilePath under SOFTWARE\PHP). */
    public static native void jniCreatePHPINIRegistryEntries(String iniLocation);

    /** Deletes the SOFTWARE\PHP registry key with all its values, unless it holds other keys. */
    public static native void jniRemovePHPINIRegistryEntries();

    /**
     * Puts the directory in front of the machine Path (unless Path already mentions it), sets PHPRC
     * to it and tells running programs the environment changed. An empty directory changes nothing.
     */
    public static native void jniAddPHPPathToEnvironmentVariable(String directory);

    /** Takes every machine Path entry that mentions the directory out. An empty directory changes nothing. */
    public static native void jniRemovePHPPathFromEnvironmentVariable(String directory);

    /** Brings back the newest metabase backup of that name; false when there is none or it fails. */
    public static native boolean jniRestoreMetabase(String backupName);

    /** Saves the metabase under that name, replacing the newest backup of the name. */
    public static native boolean jniBackupMetabase(String backupName);

    /**
     * Writes the start command into the default web site's records. True means the command was written, not
     * that the site runs: nothing waits for the site to start or reads its state back.
     */
    public static native boolean jniStartDefaultWebsite();

    /**
     * Publishes a directory for the Jakarta redirector under the default web site, with execute access. An
     * empty name is not refused: it rewrites the records of the site's root directory itself.
     */
    public static native boolean jniCreateJakartaVirtualDirectory(String name, String physicalPath);

    /**
     * Publishes a directory under the default web site as a browsable, pooled application. An empty name is
     * not refused: it rewrites the records of the site's root directory itself.
     */
    public static native boolean jniCreateVirtualDirectory(String name, String physicalPath);

    /** Sets the charset of the HTML entries of the default web site's MIME map; gives no sign of the outcome. */
    public static native void jniSetDefaultEncoding(String charset);

    /** The charset of the HTML entries of the MIME map, or null when there is none or it cannot be read. */
    public static native String jniGetDefaultEncoding();

    /** The default web site's root directory, or null when it cannot be read. */
    public static native String jniGetDocumentRootPath();

    /**
     * Installs the Jakarta redirector as the ISAPI filter of that name, last in the load order.
     * False for a name that is empty or holds "/" or ",", with nothing written.
     */
    public static native boolean jniInstallIsapiRedirectFilter(String name, String imagePath);

    /**
     * Installs PHP's ISAPI module as the filter "PHP" and maps ".php" to it, with "index.php" and
     * read, execute and script access, on the web service and the default web site. False for an empty path.
     */
    public static native boolean jniInstallVantoraPHPModule(String modulePath);

    /** Whether the filter "PHP" is installed with exactly this module path. */
    public static native boolean jniIsVantoraPHPInstalled(String modulePath);

    /** Whether the default web site maps ".php" pages. */
    public static native boolean jniIsPHPEnabled();

    /**
     * Allows the extension in the web service extension restriction list, replacing every entry that
     * mentions its path; gives no sign of the outcome. An empty path changes nothing.
     */
    public static native void jniUpateWebExRestrictionList(String description, String extensionPath);
}
