package com.vantora.adminserver.helper.ws;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.Map;
import java.util.TreeMap;
import org.junit.jupiter.api.Test;

class DeclarationsTest {
    /** The methods the administration server binds to: name, String parameters, result. */
    private static final Object[][] METHODS = {
        {"jniIsIISWebserverRunning", 0, boolean.class}, {"jniStartIISAdminService", 0, void.class},
        {"jniIsIISInstalled", 0, boolean.class}, {"jniRestoreMetabase", 1, boolean.class},
        {"jniBackupMetabase", 1, boolean.class}, {"jniRemovePHPPathFromEnvironmentVariable", 1, void.class},
        {"jniAddPHPPathToEnvironmentVariable", 1, void.class}, {"jniRemovePHPINIRegistryEntries", 0, void.class},
        {"jniCreatePHPINIRegistryEntries", 1, void.class}, {"jniCreateJakartaRegistryEntries", 4, void.class},
        {"jniRemoveJakartaRegistryEntries", 0, void.class}, {"jniIsVantoraPHPInstalled", 1, boolean.class},
        {"jniUpateWebExRestrictionList", 2, void.class}, {"jniStartDefaultWebsite", 0, boolean.class},
        {"jniCreateJakartaVirtualDirectory", 2, boolean.class}, {"jniCreateVirtualDirectory", 2, boolean.class},
        {"jniSetDefaultEncoding", 1, void.class}, {"jniGetDefaultEncoding", 0, String.class},
        {"jniGetDocumentRootPath", 0, String.class}, {"jniInstallVantoraPHPModule", 1, boolean.class},
        {"jniInstallIsapiRedirectFilter", 2, boolean.class}, {"jniIsPHPEnabled", 0, boolean.class},
    };

    @Test
    void theClassDeclaresExactlyTheTwentyTwoNativeMethods() {
        Map<String, String> expected = new TreeMap<>();
        for (Object[] method : METHODS) {
            expected.put((String) method[0], signature((Integer) method[1], (Class<?>) method[2]));
        }
        Map<String, String> declared = new TreeMap<>();
        for (Method method : IISConfigure.class.getDeclaredMethods()) {
            if (Modifier.isNative(method.getModifiers())) {
                Class<?>[] parameters = method.getParameterTypes();
                boolean allStrings = Arrays.stream(parameters).allMatch(String.class::equals);
                declared.put(method.getName(),
                        allStrings ? signature(parameters.length, method.getReturnType()) : "non-String parameters");
            }
        }
        assertEquals(22, expected.size());
        assertEquals(expected, declared);
    }

    private static String signature(int strings, Class<?> result) {
        return strings + " String parameters -> " + result.getSimpleName();
    }
}
