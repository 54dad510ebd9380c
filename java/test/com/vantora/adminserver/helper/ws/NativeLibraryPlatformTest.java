package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class NativeLibraryPlatformTest {
    @ParameterizedTest
    @CsvSource({
        "Windows Server 2003, x86, windows-x86, iisconfigure.dll",
        "Windows XP, i686, windows-x86, iisconfigure.dll",
        "Windows Server 2003, amd64, windows-x86_64, iisconfigure.dll",
        "Windows 10, x86_64, windows-x86_64, iisconfigure.dll",
        "Linux, amd64, linux-x86_64, libwinsim.so libiisconfigure.so",
    })
    void picksTheNativesBuiltForTheJvm(String osName, String osArch, String folder, String files) {
        NativeLibrary.Platform platform = NativeLibrary.platformOf(osName, osArch);
        assertEquals(folder, platform.folder);
        assertEquals(files, String.join(" ", platform.files));
    }

    @ParameterizedTest
    @CsvSource({"Linux, x86", "Linux, aarch64", "Windows 11, aarch64", "Mac OS X, x86_64", "FreeBSD, amd64"})
    void namesTheSystemItHasNoNativesFor(String osName, String osArch) {
        String reason = assertThrows(UnsatisfiedLinkError.class, () -> NativeLibrary.platformOf(osName, osArch))
                .getMessage();
        assertTrue(reason.contains("os.name=" + osName + ", os.arch=" + osArch), reason);
    }
}
