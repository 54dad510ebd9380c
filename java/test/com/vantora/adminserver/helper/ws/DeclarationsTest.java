package com.vantora.adminserver.helper.ws;

import static java.util.stream.Collectors.joining;
import static java.util.stream.Collectors.toCollection;
import static org.junit.jupiter.api.Assertions.assertEquals;

import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.Set;
import java.util.TreeSet;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;

/** The exports are checked against the class; this pins the class to what the administration server binds to. */
class DeclarationsTest {
    private static final String[] METHODS = {
        "boolean jniIsIISWebserverRunning()", "void jniStartIISAdminService()", "boolean jniIsIISInstalled()",
        "boolean jniRestoreMetabase(String)", "boolean jniBackupMetabase(String)",
        "void jniRemovePHPPathFromEnvironmentVariable(String)", "void jniAddPHPPathToEnvironmentVariable(String)",
        "void jniRemovePHPINIRegistryEntries()", "void jniCreatePHPINIRegistryEntries(String)",
        "void jniCreateJakartaRegistryEntries(String,String,String,String)", "void jniRemoveJakartaRegistryEntries()",
        "boolean jniIsVantoraPHPInstalled(String)", "void jniUpateWebExRestrictionList(String,String)",
        "boolean jniStartDefaultWebsite()", "boolean jniCreateJakartaVirtualDirectory(String,String)",
        "boolean jniCreateVirtualDirectory(String,String)", "void jniSetDefaultEncoding(String)",
        "String jniGetDefaultEncoding()", "String jniGetDocumentRootPath()", "boolean jniInstallVantoraPHPModule(String)",
        "boolean jniInstallIsapiRedirectFilter(String,String)", "boolean jniIsPHPEnabled()",
    };

    @Test
    void theClassDeclaresExactlyTheTwentyTwoNativeMethods() {
        Set<String> declared = new TreeSet<>();
        for (Method method : IISConfigure.class.getDeclaredMethods()) {
            if (Modifier.isNative(method.getModifiers())) {
                declared.add(Modifier.toString(method.getModifiers()) + " " + method.getReturnType().getSimpleName()
                        + " " + method.getName() + Arrays.stream(method.getParameterTypes())
                                .map(Class::getSimpleName).collect(joining(",", "(", ")")));
            }
        }
        assertEquals(22, METHODS.length);
        assertEquals(Stream.of(METHODS).map(m -> "public static native " + m).collect(toCollection(TreeSet::new)),
                declared);
    }
}
