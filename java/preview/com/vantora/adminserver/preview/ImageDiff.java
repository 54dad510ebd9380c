package com.vantora.adminserver.preview;

import com.vantora.winsim.image.HostImage;
import com.vantora.winsim.image.HostImage.Fact;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/** What changed between two host images, fact by fact, area by area. */
public final class ImageDiff {
    public enum Kind { ADDED, REMOVED, CHANGED }

    /** One changed fact; {@code before} is null when added, {@code after} null when removed. */
    public record Change(Kind kind, Fact fact, String before, String after) {
        public String line() {
            return line(fact.name());
        }

        /** The line under another name: a key's record or value under the key's own line. */
        String line(String name) {
            return switch (kind) {
                case ADDED -> "+ " + HostImage.line(name, after);
                case REMOVED -> "- " + HostImage.line(name, before);
                case CHANGED -> "~ " + name + "  " + before + " -> " + after;
            };
        }

        @Override
        public String toString() {
            return line();
        }
    }

    private ImageDiff() {
    }

    public static List<Change> changes(HostImage before, HostImage after) {
        List<Change> changes = new ArrayList<>();
        for (HostImage.Area area : HostImage.Area.values()) {
            compare(before.facts(area), after.facts(area), changes);
        }
        return changes;
    }

    /**
     * The changes as lines to print, or the single line "no changes". Changes to a key's records and a
     * registry key's values come under one line naming the key, so that a server of thousands of keys
     * reads as the few it changed. A list-valued record that changed is followed by the entries it
     * gained and lost rather than shown whole twice.
     */
    public static List<String> lines(HostImage before, HostImage after) {
        List<String> lines = new ArrayList<>();
        String group = null;
        for (Change change : changes(before, after)) {
            Fact fact = change.fact();
            if (fact.detail() == null || fact.detail().equals("(key)")) {
                lines.add(change.line());
                group = fact.detail() == null ? null : fact.subject();
                continue;
            }
            if (!fact.subject().equals(group)) {
                lines.add(fact.subject());
                group = fact.subject();
            }
            String detail = named(fact.detail());
            List<String> was = before.entries(fact);
            List<String> is = after.entries(fact);
            if (change.kind() == Kind.CHANGED && was != null && is != null) {
                lines.add("  ~ " + detail + "  " + was.size() + " entries -> " + is.size() + " entries");
                entryChanges(was, is, "      - ", lines);
                entryChanges(is, was, "      + ", lines);
            } else {
                lines.add("  " + change.line(detail));
            }
        }
        return lines.isEmpty() ? List.of("no changes") : lines;
    }

    /** "#6016" as "#6016 AccessFlags", when the property table knows the id. */
    private static String named(String detail) {
        if (detail.matches("#\\d{1,10}")) {
            MetabaseSchema.Property p = MetabaseSchema.byId(Long.parseLong(detail.substring(1)));
            return p == null ? detail : detail + " " + p.name();
        }
        return detail;
    }

    /** Each entry of {@code from} that {@code other} lacks (counting repeats), behind the marker. */
    private static void entryChanges(List<String> from, List<String> other, String marker, List<String> out) {
        Map<String, Integer> left = new HashMap<>();
        other.forEach(entry -> left.merge(entry, 1, Integer::sum));
        for (String entry : from) {
            if (left.merge(entry, -1, Integer::sum) < 0) {
                out.add(marker + entry);
            }
        }
    }

    /**
     * Walks the new facts in order and lets each removed fact show where it stood in the old
     * order, so that a removed key reads next to its neighbours rather than at the end.
     */
    private static void compare(Map<Fact, String> before, Map<Fact, String> after, List<Change> out) {
        Fact[] old = before.keySet().toArray(new Fact[0]);
        String[] oldValues = before.values().toArray(new String[0]);
        // the old order's index is built only when a fact that stayed is found out of step, which two
        // images of hundreds of thousands of facts with a few added or changed never come to
        Map<Fact, Integer> oldIndex = null;
        int next = 0;
        for (Map.Entry<Fact, String> fact : after.entrySet()) {
            int at;
            if (next < old.length && old[next].equals(fact.getKey())) {
                at = next;
            } else if (!before.containsKey(fact.getKey())) {
                out.add(new Change(Kind.ADDED, fact.getKey(), null, fact.getValue()));
                continue;
            } else {
                if (oldIndex == null) {
                    oldIndex = new HashMap<>();
                    for (int i = 0; i < old.length; i++) {
                        oldIndex.put(old[i], i);
                    }
                }
                at = oldIndex.get(fact.getKey());
            }
            for (; next < at; next++) {
                removedAt(old[next], before, after, out);
            }
            next = Math.max(next, at + 1);
            String was = oldValues[at];
            if (!was.equals(fact.getValue())) {
                out.add(new Change(Kind.CHANGED, fact.getKey(), was, fact.getValue()));
            }
        }
        for (; next < old.length; next++) {
            removedAt(old[next], before, after, out);
        }
    }

    private static void removedAt(Fact fact, Map<Fact, String> before, Map<Fact, String> after, List<Change> out) {
        if (!after.containsKey(fact)) {
            out.add(new Change(Kind.REMOVED, fact, before.get(fact), null));
        }
    }
}
