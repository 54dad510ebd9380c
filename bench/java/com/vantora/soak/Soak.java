package com.vantora.soak;

import com.google.gson.JsonArray;
import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import com.vantora.adminserver.helper.ws.IISConfigure;
import com.vantora.winsim.SimulatedHost;
import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.concurrent.TimeUnit;
import picocli.CommandLine;
import picocli.CommandLine.Command;
import picocli.CommandLine.Parameters;

/**
 * Threads making mixed calls of every native method on the one image named by WINSIM_HOST, journalled to
 * WINSIM_JOURNAL. Afterwards the image file must hold exactly the host's final state, every registry value
 * whose last successful write no delete followed must hold that write, and every key added and saved since
 * the last restore must be in the saved metabase.
 */
@Command(name = "soak.sh")
public final class Soak implements Callable<Integer> {
    @Parameters(index = "0", paramLabel = "THREADS")
    int threads;
    @Parameters(index = "1", paramLabel = "CALLS", description = "calls per thread")
    int calls;

    public static void main(String[] args) {
        System.exit(new CommandLine(new Soak()).execute(args));
    }

    @Override
    public Integer call() throws Exception {
        final long start = System.nanoTime();
        ExecutorService pool = Executors.newFixedThreadPool(threads);
        List<Future<?>> running = new ArrayList<>();
        for (int t = 0; t < threads; t++) {
            final int thread = t;
            running.add(pool.submit(() -> {
                for (int i = 0; i < calls; i++) call(thread, i);
                return null;
            }));
        }
        for (Future<?> each : running) each.get(10, TimeUnit.MINUTES); // a deadlock ends here
        pool.shutdown();
        System.out.printf(Locale.ROOT, "%d threads x %d calls: %.1f s%n", threads, calls,
                (System.nanoTime() - start) / 1e9);

        String file = Files.readString(Path.of(System.getenv("WINSIM_HOST")));
        List<String> problems = new ArrayList<>();
        if (!file.equals(SimulatedHost.image())) problems.add("the image file is not the host's final state");
        JsonObject image = JsonParser.parseString(file).getAsJsonObject();
        List<JsonObject> journal = new ArrayList<>();
        for (String line : Files.readAllLines(Path.of(System.getenv("WINSIM_JOURNAL")))) {
            journal.add(JsonParser.parseString(line).getAsJsonObject());
        }
        checkRegistry(journal, image, problems);
        checkMetabase(journal, image, problems);
        System.out.println(journal.size() + " platform calls; " + (problems.isEmpty() ? "all checks hold" : problems));
        return problems.isEmpty() ? 0 : 1;
    }

    private static void call(int thread, int i) {
        String tag = thread + "-" + i;
        switch ((thread + i) % 22) {
            case 0 -> IISConfigure.jniIsIISWebserverRunning();
            case 1 -> IISConfigure.jniStartIISAdminService();
            case 2 -> IISConfigure.jniIsIISInstalled();
            case 3 -> IISConfigure.jniCreateJakartaRegistryEntries("C:\\l" + tag, "C:\\w" + tag, "C:\\m" + tag, "r.dll");
            case 4 -> IISConfigure.jniRemoveJakartaRegistryEntries();
            case 5 -> IISConfigure.jniCreatePHPINIRegistryEntries("C:\\ini" + tag);
            case 6 -> IISConfigure.jniRemovePHPINIRegistryEntries();
            case 7 -> IISConfigure.jniAddPHPPathToEnvironmentVariable("C:\\php" + tag);
            case 8 -> IISConfigure.jniRemovePHPPathFromEnvironmentVariable("C:\\php" + thread + "-" + (i - 20));
            case 9 -> IISConfigure.jniRestoreMetabase("soak" + thread % 4);
            case 10 -> IISConfigure.jniBackupMetabase("soak" + thread % 4);
            case 11 -> IISConfigure.jniStartDefaultWebsite();
            case 12 -> IISConfigure.jniCreateJakartaVirtualDirectory("jk" + tag, "C:\\jk");
            case 13 -> IISConfigure.jniCreateVirtualDirectory("app" + tag, "C:\\app" + tag);
            case 14 -> IISConfigure.jniSetDefaultEncoding(thread % 2 == 0 ? "utf-8" : "iso-8859-1");
            case 15 -> IISConfigure.jniGetDefaultEncoding();
            case 16 -> IISConfigure.jniGetDocumentRootPath();
            case 17 -> IISConfigure.jniInstallIsapiRedirectFilter("jakarta" + thread, "C:\\jk\\r" + tag + ".dll");
            case 18 -> IISConfigure.jniInstallVantoraPHPModule("C:\\PHP" + tag + "\\php5isapi.dll");
            case 19 -> IISConfigure.jniIsVantoraPHPInstalled("C:\\PHP" + tag + "\\php5isapi.dll");
            case 20 -> IISConfigure.jniIsPHPEnabled();
            default -> IISConfigure.jniUpateWebExRestrictionList("Ext" + tag, "C:\\ext\\e" + thread + ".dll");
        }
    }

    private static boolean ok(JsonObject line, String call) {
        return line.get("call").getAsString().equals(call) && line.get("result").getAsLong() == 0;
    }

    private static String joined(String base, String relative, String separator) {
        StringBuilder path = new StringBuilder(base);
        for (String name : relative.toLowerCase(Locale.ROOT).split(separator.equals("/") ? "/" : "\\\\")) {
            if (!name.isEmpty()) path.append(path.length() > 0 ? separator : "").append(name);
        }
        return path.toString();
    }

    private static void checkRegistry(List<JsonObject> journal, JsonObject image, List<String> problems) {
        Map<Long, String> keys = new HashMap<>();
        keys.put(2147483650L, "");
        Map<String, Integer> deleted = new HashMap<>();
        Map<String, String> lastWrite = new HashMap<>();
        Map<String, Integer> lastWriteAt = new HashMap<>();
        for (int n = 0; n < journal.size(); n++) {
            JsonObject line = journal.get(n);
            if (ok(line, "RegOpenKeyExW") || ok(line, "RegCreateKeyExW")) {
                keys.put(line.get("outKey").getAsLong(),
                        joined(keys.get(line.get("key").getAsLong()), line.get("subKey").getAsString(), "\\"));
            } else if (ok(line, "RegDeleteKeyW")) {
                deleted.put(joined(keys.get(line.get("key").getAsLong()), line.get("subKey").getAsString(), "\\"), n);
            } else if (ok(line, "RegSetValueExW")) {
                String value = keys.get(line.get("key").getAsLong()) + "\u0000"
                        + line.get("valueName").getAsString().toLowerCase(Locale.ROOT);
                lastWrite.put(value, line.get("type").getAsLong() + ":" + line.get("hex").getAsString());
                lastWriteAt.put(value, n);
            }
        }
        int checked = 0;
        for (Map.Entry<String, String> write : lastWrite.entrySet()) {
            String[] parts = write.getKey().split("\u0000", -1);
            boolean gone = deleted.entrySet().stream().anyMatch(d -> d.getValue() > lastWriteAt.get(write.getKey())
                    && (parts[0].equals(d.getKey()) || parts[0].startsWith(d.getKey() + "\\")));
            if (gone) continue;
            checked++;
            String stored = valueBytes(image, parts[0], parts[1]);
            if (!write.getValue().equals(stored)) {
                problems.add("registry " + parts[0] + " " + parts[1] + ": wrote " + write.getValue() + ", image has "
                        + stored);
            }
        }
        System.out.println(checked + " registry values checked against their last write");
    }

    private static JsonObject named(JsonElement list, String name) {
        if (list == null) return null;
        for (JsonElement entry : list.getAsJsonArray()) {
            JsonObject object = entry.getAsJsonObject();
            if (object.get("name").getAsString().equalsIgnoreCase(name)) return object;
        }
        return null;
    }

    private static String valueBytes(JsonObject image, String keyPath, String valueName) {
        JsonObject key = image.getAsJsonObject("registry").getAsJsonObject("HKEY_LOCAL_MACHINE");
        for (String name : keyPath.split("\\\\")) key = key == null || name.isEmpty() ? key : named(key.get("children"), name);
        JsonObject value = key == null ? null : named(key.get("values"), valueName);
        if (value == null) return null;
        long type = value.get("type").getAsLong();
        if (value.has("hex")) return type + ":" + value.get("hex").getAsString();
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        JsonElement data = value.get("data");
        if (type == 4) {
            long number = data.getAsLong();
            for (int i = 0; i < 4; i++) bytes.write((int) (number >> (8 * i)));
        } else {
            JsonArray texts = data.isJsonArray() ? data.getAsJsonArray() : new JsonArray();
            if (!data.isJsonArray()) texts.add(data);
            for (JsonElement text : texts) bytes.writeBytes((text.getAsString() + "\u0000").getBytes(StandardCharsets.UTF_16LE));
            if (data.isJsonArray()) bytes.writeBytes(new byte[] {0, 0});
        }
        StringBuilder hex = new StringBuilder(type + ":");
        for (byte b : bytes.toByteArray()) hex.append(String.format("%02x", b & 0xFF));
        return hex.toString();
    }

    private static void checkMetabase(List<JsonObject> journal, JsonObject image, List<String> problems) {
        Map<Long, String> handles = new HashMap<>();
        handles.put(0L, "");
        Map<String, Integer> added = new HashMap<>();
        int lastSave = -1;
        int lastRestore = -1;
        for (int n = 0; n < journal.size(); n++) {
            JsonObject line = journal.get(n);
            if (ok(line, "OpenKey")) {
                handles.put(line.get("outHandle").getAsLong(),
                        joined(handles.get(line.get("handle").getAsLong()), line.get("path").getAsString(), "/"));
            } else if (ok(line, "AddKey")) {
                added.put(joined(handles.get(line.get("handle").getAsLong()), line.get("path").getAsString(), "/"), n);
            } else if (ok(line, "SaveData")) {
                lastSave = n;
            } else if (ok(line, "Restore")) {
                lastRestore = n;
            }
        }
        int checked = 0;
        for (Map.Entry<String, Integer> key : added.entrySet()) {
            if (key.getValue() < lastRestore || key.getValue() > lastSave) continue;
            checked++;
            JsonObject node = image.getAsJsonObject("iis").getAsJsonObject("metabase");
            for (String name : key.getKey().split("/")) node = node == null ? null : named(node.get("children"), name);
            if (node == null) problems.add("key " + key.getKey() + " was added and saved but is not in the image");
        }
        System.out.println(checked + " metabase keys added and saved since the last restore checked");
    }
}
