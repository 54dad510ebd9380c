package com.vantora.adminserver.helper.ws;

import java.io.Console;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.PrintStream;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.lang.reflect.Parameter;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.stream.Collectors;

/**
 * {@code java -jar iisconfigure.jar METHOD [ARG...]} calls one native method of {@link IISConfigure} and prints
 * its result. Exit status: 0 for true, a text or a method without result; 1 for false or null; 2 for a usage
 * error; 3 when the native library is not loaded or lacks the method; 4 when the output could not be written
 * (a closed or full standard output). Every failure is one line on standard error.
 *
 * <p>Output goes out in UTF-8 whenever standard output is not a terminal, whatever the locale, so that a script
 * reads a text result exactly; to a terminal it goes in the terminal's charset.
 */
public final class IISConfigureCommand {
    private static final Map<String, String> WHAT = Map.ofEntries(
            Map.entry("jniIsIISWebserverRunning", "whether the web service W3SVC runs"),
            Map.entry("jniStartIISAdminService", "asks for the start of the IIS admin service"),
            Map.entry("jniIsIISInstalled", "whether the IIS admin service is installed and controllable"),
            Map.entry("jniCreateJakartaRegistryEntries", "writes the Jakarta redirector's registry entries"),
            Map.entry("jniRemoveJakartaRegistryEntries", "deletes the Jakarta redirector's registry keys"),
            Map.entry("jniCreatePHPINIRegistryEntries", "records where PHP finds its configuration file"),
            Map.entry("jniRemovePHPINIRegistryEntries", "deletes the SOFTWARE\\PHP registry key"),
            Map.entry("jniAddPHPPathToEnvironmentVariable", "puts the directory in front of the machine Path"),
            Map.entry("jniRemovePHPPathFromEnvironmentVariable", "takes the directory out of the machine Path"),
            Map.entry("jniRestoreMetabase", "brings back the newest metabase backup of that name"),
            Map.entry("jniBackupMetabase", "saves the metabase under that name"),
            Map.entry("jniStartDefaultWebsite", "writes the start command of the default web site"),
            Map.entry("jniCreateJakartaVirtualDirectory", "publishes a directory for the Jakarta redirector"),
            Map.entry("jniCreateVirtualDirectory", "publishes a directory under the default web site"),
            Map.entry("jniSetDefaultEncoding", "sets the charset of the HTML entries of the MIME map"),
            Map.entry("jniGetDefaultEncoding", "the charset of the HTML entries of the MIME map"),
            Map.entry("jniGetDocumentRootPath", "the default web site's root directory"),
            Map.entry("jniInstallIsapiRedirectFilter", "installs the Jakarta redirector as an ISAPI filter"),
            Map.entry("jniInstallVantoraPHPModule", "installs PHP's ISAPI module and maps .php to it"),
            Map.entry("jniIsVantoraPHPInstalled", "whether the filter PHP is installed with this module path"),
            Map.entry("jniIsPHPEnabled", "whether the default web site maps .php pages"),
            Map.entry("jniUpateWebExRestrictionList", "allows the extension in the restriction list"));

    private IISConfigureCommand() {
    }

    public static void main(String[] args) {
        PrintStream out = terminal() ? System.out
                : new PrintStream(new FileOutputStream(FileDescriptor.out), true, StandardCharsets.UTF_8);
        int status = run(args, out, System.err);
        if (out.checkError()) {
            System.err.println("iisconfigure: the output could not be written to standard output");
            status = 4;
        }
        System.exit(status);
    }

    private static boolean terminal() {
        Console console = System.console();
        if (console == null) {
            return false;
        }
        try {
            // From Java 22 on there is a console also when the output is redirected.
            return (Boolean) Console.class.getMethod("isTerminal").invoke(console);
        } catch (ReflectiveOperationException e) {
            return true;
        }
    }

    /**
     * Why {@code args} is not a call of a native method, or null when it is one; the native library is not
     * loaded to tell, so that a list of calls can be checked before any of them runs.
     */
    public static String problem(String[] args) {
        Method method = args.length == 0 ? null : find(args[0]);
        if (method == null) {
            return args.length == 0 ? "no method named" : "no method " + args[0] + " (the methods: --list)";
        }
        return method.getParameterCount() == args.length - 1 ? null : "usage: " + usage(method);
    }

    /** One call as the command line makes it: its result on {@code out}, and the exit status it gives. */
    public static int run(String[] args, PrintStream out, PrintStream err) {
        if (args.length == 1 && args[0].equals("--version")) {
            out.println("iisconfigure " + IISConfigure.class.getPackage().getImplementationVersion());
            out.println(IISConfigure.isAvailable() ? "native library: " + NativeLibrary.source()
                    : "native library not loaded: " + IISConfigure.loadFailure());
            return 0;
        }
        if (args.length == 1 && args[0].equals("--list")) {
            list(out);
            return 0;
        }
        Method method = args.length == 0 ? null : find(args[0]);
        if (method == null) {
            err.println("usage: java -jar iisconfigure.jar METHOD [ARG...] | --list | --version");
            err.println("(off Windows the methods work on the simulated host named by WINSIM_HOST)");
            list(err);
            return 2;
        }
        if (problem(args) != null) {
            err.println(problem(args));
            return 2;
        }
        if (!IISConfigure.isAvailable()) {
            err.println("iisconfigure: native library not loaded: " + IISConfigure.loadFailure());
            return 3;
        }
        Object result;
        try {
            result = method.invoke(null, (Object[]) Arrays.copyOfRange(args, 1, args.length));
        } catch (InvocationTargetException e) {
            if (e.getCause() instanceof LinkageError) {
                err.println("iisconfigure: the native library " + NativeLibrary.source() + " does not link "
                        + method.getName() + " (" + e.getCause().getMessage() + ")");
                return 3;
            }
            throw new IllegalStateException(e.getCause());
        } catch (IllegalAccessException e) {
            throw new IllegalStateException(e);
        }
        out.println(method.getReturnType() == void.class ? "done" : String.valueOf(result));
        return result == null && method.getReturnType() != void.class || Boolean.FALSE.equals(result) ? 1 : 0;
    }

    private static List<Method> methods() {
        return Arrays.stream(IISConfigure.class.getDeclaredMethods())
                .filter(m -> Modifier.isNative(m.getModifiers()))
                .sorted(Comparator.comparing(Method::getName))
                .collect(Collectors.toList());
    }

    private static Method find(String name) {
        return methods().stream().filter(m -> key(m.getName()).equals(key(name))).findFirst().orElse(null);
    }

    private static String key(String name) {
        String lower = name.toLowerCase(Locale.ROOT);
        return lower.startsWith("jni") ? lower.substring(3) : lower;
    }

    private static String usage(Method method) {
        return Arrays.stream(method.getParameters()).map(Parameter::getName)
                .reduce(method.getName(), (line, parameter) -> line + " " + parameter);
    }

    private static void list(PrintStream out) {
        int width = methods().stream().mapToInt(m -> usage(m).length()).max().orElse(0);
        for (Method method : methods()) {
            out.printf("%-" + width + "s  %s%n", usage(method), WHAT.get(method.getName()));
        }
    }
}
