package com.vantora.adminserver.preview;

import com.vantora.adminserver.preview.ChangeSet.Capture;
import com.vantora.adminserver.preview.ChangeSet.MetabaseChange;
import com.vantora.adminserver.preview.ChangeSet.RegistryChange;
import com.vantora.winsim.image.ImageModel.MetabaseRecord;
import com.vantora.winsim.image.ImageModel.RegistryValue;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Names;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/** Whether the change between two captures of the real server is the change that was previewed. */
final class Verify {
    private Verify() {
    }

    /** A change set file, refused when it is not one. */
    static ChangeSet read(Path file) throws BadInput {
        String name = file.toString();
        ChangeSet change;
        try {
            change = Json.parse(Input.utf8(Input.bytes(file), name), ChangeSet.class, "a change set");
        } catch (Json.Malformed e) {
            throw new BadInput(name, e.line, e.getMessage());
        }
        boolean whole = change != null && change.captures() != null && change.calls() != null
                && change.metabase() != null && change.registry() != null
                && change.captures().stream().allMatch(c -> c != null && c.role() != null && c.sha256() != null)
                && change.metabase().stream().allMatch(c -> c != null && c.change() != null && c.key() != null)
                && change.registry().stream().allMatch(c -> c != null && c.change() != null && c.key() != null)
                // a value given in a form its type does not have cannot be compared
                && change.metabase().stream().allMatch(c -> readable(c.before()) && readable(c.after()))
                && change.registry().stream().allMatch(c -> readable(c.before()) && readable(c.after()));
        if (!whole) {
            throw new BadInput(name, 0, "not a change set: captures, calls, metabase and registry, each change"
                    + " with its kind and key and its values in the forms of their types, are needed");
        }
        return change;
    }

    private static boolean readable(MetabaseRecord r) {
        return r == null || ChangeSet.bytes(r) != null;
    }

    private static boolean readable(RegistryValue v) {
        return v == null || ChangeSet.bytes(v) != null;
    }

    /** The before capture is refused unless it is the one previewed, file by file. */
    static void checkCaptures(ChangeSet previewed, List<Capture> given, String changeFile) throws BadInput {
        if (previewed.captures().size() != given.size()) {
            throw new BadInput(changeFile, 0, "previewed on " + previewed.captures().size() + " captured files, "
                    + given.size() + " given as before");
        }
        for (int i = 0; i < given.size(); i++) {
            Capture was = previewed.captures().get(i);
            Capture is = given.get(i);
            if (!was.role().equals(is.role()) || !was.sha256().equals(is.sha256())) {
                throw new BadInput(is.file(), 0, "not the capture previewed (SHA-256 " + is.sha256() + "; "
                        + was.file() + " had " + was.sha256() + ")");
            }
        }
    }

    /** One line per difference: a previewed change missing or different, or a change not previewed. */
    static List<String> differences(ChangeSet previewed, ChangeSet found) {
        List<String> lines = new ArrayList<>();
        compare(metabase(previewed), metabase(found), lines);
        compare(registry(previewed), registry(found), lines);
        return lines;
    }

    /** A change as it reads, and what makes two the same: the kind and, after it, the type and bytes. */
    private record Said(String what, String outcome, String exactly, boolean mayBeMissing) {
    }

    private static void compare(Map<String, Said> previewed, Map<String, Said> found, List<String> lines) {
        previewed.forEach((key, change) -> {
            Said real = found.get(key);
            if (real == null && !change.mayBeMissing()) {
                lines.add("missing: " + change.what() + " " + change.outcome());
            } else if (real != null && !real.exactly().equals(change.exactly())) {
                lines.add("different: " + change.what() + " previewed " + change.outcome() + ", found " + real.outcome());
            }
        });
        found.forEach((key, change) -> {
            if (!previewed.containsKey(key)) {
                lines.add("unexpected: " + change.what() + " " + change.outcome());
            }
        });
    }

    private static Map<String, Said> metabase(ChangeSet change) {
        Map<String, Said> out = new LinkedHashMap<>();
        for (MetabaseChange c : change.metabase()) {
            MetabaseRecord r = c.after();
            String exactly = r == null ? "" : r.attributes() + " " + r.userType() + " " + r.dataType() + " " + hex(ChangeSet.bytes(r));
            out.putIfAbsent(Names.fold(c.key()) + "\u0000" + c.id(), said(c.what(), c.change(), r == null ? null : c.state(r), exactly,
                    c.id() != null && ChangeSet.UNSAVED_COMMANDS.contains(c.id())));
        }
        return out;
    }

    private static Map<String, Said> registry(ChangeSet change) {
        Map<String, Said> out = new LinkedHashMap<>();
        for (RegistryChange c : change.registry()) {
            RegistryValue v = c.after();
            String exactly = v == null ? "" : v.type() + " " + hex(ChangeSet.bytes(v));
            String name = c.value() == null ? "\u0000" : Names.fold(c.value());
            out.putIfAbsent(Names.fold(c.key()) + "\u0000" + name, said(c.what(), c.change(), v == null ? null : c.state(v), exactly, false));
        }
        return out;
    }

    private static Said said(String what, ChangeSet.Kind kind, String state, String exactly, boolean mayBeMissing) {
        String outcome = kind.name().toLowerCase(Locale.ROOT);
        return new Said(what, state == null ? outcome : outcome + " as " + state, outcome + " " + exactly, mayBeMissing);
    }

    private static String hex(byte[] bytes) {
        return bytes == null ? "?" : ImageValues.hex(bytes);
    }
}
