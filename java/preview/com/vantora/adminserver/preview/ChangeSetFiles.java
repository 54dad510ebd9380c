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

    /** The files, each made new (never through a link planted since the check); none is left when one fails. */
    static void write(ChangeSet change, Path dir) throws IOException {
        Map<String, byte[]> files = new LinkedHashMap<>();
        files.put(CHANGE, (Json.writePretty(change) + "\n").getBytes(StandardCharsets.UTF_8));
        files.put(APPLY, registryFile(change.registry()));
        files.put(UNDO, registryFile(undo(change.registry())));
        // read on the server, where a plain editor may want CRLF
        files.put(PLAN, plan(change).replace("\n", "\r\n").getBytes(StandardCharsets.UTF_8));
        boolean made = !Files.exists(dir, LinkOption.NOFOLLOW_LINKS);
        if (made) {
            Files.createDirectory(dir);
        }
        List<Path> written = new ArrayList<>();
        try {
            for (Map.Entry<String, byte[]> file : files.entrySet()) {
                Path path = dir.resolve(file.getKey());
                Files.write(path, file.getValue(), StandardOpenOption.CREATE_NEW, StandardOpenOption.WRITE);
                written.add(path);
            }
        } catch (IOException e) {
            for (Path path : written) {
                Files.deleteIfExists(path);
            }
            if (made) {
                Files.deleteIfExists(dir);
            }
            throw e;
        }
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

    /** What takes the change back: each change the other way round. */
    static List<RegistryChange> undo(List<RegistryChange> changes) {
        return changes.stream().map(c -> new RegistryChange(
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
        change.calls().forEach(call -> plan.append("     ").append(jar).append(call).append('\n'));
        plan.append("\n3. Capture the server again as before (MetaBase.xml, and a registry export of the same keys)"
                + " and compare with what was previewed:\n     host-image.sh verify ").append(CHANGE);
        change.captures().forEach(c -> plan.append(c.role().equals("metabase") ? " --before " : " --before-registry ").append(c.file()));
        plan.append(" --after NEW-MetaBase.xml [--after-registry NEW.reg ...]\n\nTo undo the change:\n\n")
                .append("1. ").append(jar).append("RestoreMetabase ").append(backup)
                .append("\n2. reg import ").append(UNDO).append('\n');
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
