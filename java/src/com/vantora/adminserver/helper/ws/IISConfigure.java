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

    /** Sends the start command to the default web site; does not wait for it to run. */
    public static native boolean jniStartDefaultWebsite();

    /** Publishes a directory for the Jakarta redirector under the default web site, with execute access. */
    public static native boolean jniCreateJakartaVirtualDirectory(String name, String physicalPath);

    /** Publishes a directory under the default web site as a browsable, pooled application. */
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
