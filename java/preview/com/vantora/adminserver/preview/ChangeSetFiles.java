package com.vantora.adminserver.preview;

import com.vantora.adminserver.preview.ChangeSet.Kind;
import com.vantora.adminserver.preview.ChangeSet.RegistryChange;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Names;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.DirectoryStream;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.StandardCopyOption;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** A change set as the files an operator and a change board read: the change, the registry files, the plan. */
final class ChangeSetFiles {
    static final String CHANGE = "change.json";
    static final String APPLY = "registry-apply.reg";
    static final String UNDO = "registry-undo.reg";
    static final String PLAN = "PLAN.txt";
    private static final String ENVIRONMENT =
            "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

    private ChangeSetFiles() {
    }

    /** Refuses a folder that is there and not empty (or not a folder), before anything runs. */
    static void checkFolder(Path dir) throws BadInput {
        if (!Files.exists(dir, LinkOption.NOFOLLOW_LINKS)) {
            if (dir.toAbsolutePath().getParent() == null || !Files.isDirectory(dir.toAbsolutePath().getParent())) {
                throw new BadInput(dir.toString(), 0, "the folder it would go in does not exist");
            }
            return;
        }
        if (!Files.isDirectory(dir, LinkOption.NOFOLLOW_LINKS)) {
            throw new BadInput(dir.toString(), 0, "not a folder; a change set goes into a new or empty folder");
        }
        try (DirectoryStream<Path> entries = Files.newDirectoryStream(dir)) {
            if (entries.iterator().hasNext()) {
                throw new BadInput(dir.toString(), 0, "not empty; a change set goes into a new or empty folder");
            }
        } catch (IOException e) {
            throw new BadInput(dir.toString(), 0, "cannot read: " + e.getMessage());
        }
    }

    /**
     * The files, written into a new folder beside {@code dir} and renamed to it at once: a rename replaces an
     * empty folder or a link planted since the check without following it, and fails on anything else, so
     * that nothing lands elsewhere and a failure leaves nothing.
     */
    static void write(ChangeSet change, Path dir) throws IOException {
        Map<String, byte[]> files = new LinkedHashMap<>();
        files.put(CHANGE, (Json.writePretty(change) + "\n").getBytes(StandardCharsets.UTF_8));
        files.put(APPLY, registryFile(change.registry()));
        files.put(UNDO, registryFile(undo(change)));
        // read on the server, where a plain editor may want CRLF
        files.put(PLAN, plan(change).replace("\n", "\r\n").getBytes(StandardCharsets.UTF_8));
        Path staging = Files.createTempDirectory(dir.toAbsolutePath().getParent(), ".change-set-");
        try {
            for (Map.Entry<String, byte[]> file : files.entrySet()) {
                Files.write(staging.resolve(file.getKey()), file.getValue(), StandardOpenOption.CREATE_NEW);
            }
            Files.move(staging, dir, StandardCopyOption.ATOMIC_MOVE);
        } catch (IOException e) {
            try {
                for (String name : files.keySet()) {
                    Files.deleteIfExists(staging.resolve(name));
                }
                Files.deleteIfExists(staging);
            } catch (IOException cleanup) {
                e.addSuppressed(cleanup);
            }
            throw e;
        }
    }

    /**
     * Refuses a change to a registry key that no capture holds, unless the change made the key: what such a
     * key held on the server is not known, so its undo would put back what the preview assumed instead.
     */
    static void checkCaptured(ChangeSet change) throws BadInput {
        List<String> made = change.registry().stream()
                .filter(c -> c.value() == null && c.change() == Kind.ADDED).map(c -> Names.fold(c.key())).toList();
        for (RegistryChange c : change.registry()) {
            if (!made.contains(Names.fold(c.key())) && !captured(change, c.key())) {
                String file = change.captures().get(0).file();
                throw new BadInput(file, 0, "the calls change " + c.what().substring("registry ".length())
                        + ", which no --registry export holds; export it (reg export \"" + c.key()
                        + "\" FILE.reg) and give it, so that the undo puts back what the server has");
            }
        }
    }

    /** Whether a capture holds the key or a key above it, and so shows what it held or that it was not there. */
    private static boolean captured(ChangeSet change, String key) {
        String folded = Names.fold(key);
        return change.captures().stream().filter(c -> c.keys() != null).flatMap(c -> c.keys().stream())
                .map(Names::fold).anyMatch(k -> folded.equals(k) || folded.startsWith(k + "\\"));
    }

    /**
     * Keys the change made that its undo leaves: those above the library's own keys whose absence no capture
     * shows, since the server may have had them (another product's, say) before.
     */
    static List<String> leftByUndo(ChangeSet change) {
        return change.registry().stream()
                .filter(c -> c.value() == null && c.change() == Kind.ADDED && !deletable(change, c.key()))
                .map(RegistryChange::key).toList();
    }

    private static boolean deletable(ChangeSet change, String key) {
        String folded = Names.fold(key);
        int parent = key.lastIndexOf('\\');
        return parent > 0 && captured(change, key.substring(0, parent)) || Demo.LIBRARY_KEYS.stream()
                .map(Names::fold).anyMatch(k -> folded.equals(k) || folded.startsWith(k + "\\"));
    }

    /** The registry part of a change as a file to import: keys made or deleted, values set or deleted. */
    static byte[] registryFile(List<RegistryChange> changes) {
        RegExport reg = new RegExport();
        List<String> deleted = new ArrayList<>();
        String open = null;
        for (RegistryChange c : changes) {
            String key = Names.fold(c.key());
            if (deleted.stream().anyMatch(d -> key.equals(d) || key.startsWith(d + "\\"))) {
                continue;  // gone with the key above it
            }
            if (c.value() == null && c.change() == Kind.REMOVED) {
                reg.deleteKey(c.key());
                deleted.add(key);
                open = null;
                continue;
            }
            if (!key.equals(open)) {
                reg.key(c.key());
                open = key;
            }
            if (c.value() != null) {
                if (c.after() == null) {
                    reg.deleteValue(c.value());
                } else {
                    reg.value(c.after());
                }
            }
        }
        return reg.bytes();
    }

    /** What takes the change back: each change the other way round, but for the keys it leaves. */
    static List<RegistryChange> undo(ChangeSet change) {
        List<String> left = leftByUndo(change).stream().map(Names::fold).toList();
        return change.registry().stream().filter(c -> c.value() != null || !left.contains(Names.fold(c.key())))
                .map(c -> new RegistryChange(
                        c.change() == Kind.ADDED ? Kind.REMOVED : c.change() == Kind.REMOVED ? Kind.ADDED : Kind.CHANGED,
                        c.key(), c.value(), c.after(), c.before())).toList();
    }

    static String backupName(ChangeSet change) {
        return "before-change-" + sha256(String.join("\n", change.calls()) + change.captures()).substring(0, 12);
    }

    static String plan(ChangeSet change) {
        String jar = "java -jar iisconfigure.jar ";
        String backup = backupName(change);
        StringBuilder plan = new StringBuilder();
        plan.append("A change previewed on ").append(String.join(" + ", change.captures().stream().map(ChangeSet.Capture::file).toList()))
                .append(": ").append(change.metabase().size()).append(" metabase and ").append(change.registry().size())
                .append(" registry changes, each in ").append(CHANGE).append(".\n\n")
                .append("On the server, as an administrator, in the folder of iisconfigure.jar and this change set:\n\n")
                .append("1. Save the metabase as it is now:\n     ").append(jar).append("BackupMetabase ").append(backup)
                .append("\n\n2. Make the change, one call after the other:\n");
        change.calls().forEach(call -> plan.append("     ").append(jar).append(Calls.commandLine(call)).append('\n'));
        plan.append("   (with a 64-bit Java on 64-bit Windows: the registry files are for the registry the 64-bit"
                + " library sees)\n");
        plan.append("\n3. Capture the server again as before (MetaBase.xml, and a registry export of the same keys)"
                + " and compare with what was previewed:\n     host-image.sh verify ").append(CHANGE);
        change.captures().forEach(c -> plan.append(c.role().equals("metabase") ? " --before " : " --before-registry ")
                .append(Calls.commandLine("\"" + c.file() + "\"")));
        plan.append(" --after NEW-MetaBase.xml [--after-registry NEW.reg ...]\n\nTo undo the change:\n\n")
                .append("1. ").append(jar).append("RestoreMetabase ").append(backup)
                .append("\n2. reg import ").append(UNDO).append('\n');
        List<String> left = leftByUndo(change);
        if (!left.isEmpty()) {
            plan.append("\nThe undo leaves these keys, which the change makes but no capture shows were absent before;"
                    + " delete them by hand if nothing else uses them:\n");
            left.forEach(key -> plan.append("     ").append(key).append('\n'));
        }
        if (change.registry().stream().anyMatch(c -> Names.same(c.key(), ENVIRONMENT) && "Path".equalsIgnoreCase(c.value()))) {
            plan.append("\nThe machine Path: the import writes the old Path back, but unlike the library it does not announce"
                    + " the change (the WM_SETTINGCHANGE broadcast), so running programs keep the Path they have. After the"
                    + " import, open System Properties, Environment Variables and press OK, which announces it to new"
                    + " programs; services, IIS's among them, read the Path only when Windows starts, so restart Windows"
                    + " when they must see it.\n");
        }
        return plan.toString();
    }

    static String sha256(byte[] bytes) {
        try {
            return java.util.HexFormat.of().formatHex(java.security.MessageDigest.getInstance("SHA-256").digest(bytes));
        } catch (java.security.NoSuchAlgorithmException e) {
            throw new IllegalStateException(e);
        }
    }

    private static String sha256(String text) {
        return sha256(text.getBytes(StandardCharsets.UTF_8));
    }
}
