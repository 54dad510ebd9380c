package com.vantora.adminserver.preview;

import com.vantora.winsim.image.HostImage;
import java.io.PrintStream;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;

/** What changed between two host images, fact by fact, area by area. */
public final class ImageDiff {
    public enum Kind { ADDED, REMOVED, CHANGED }

    /** One changed fact; {@code before} is null when added, {@code after} null when removed. */
    public record Change(Kind kind, String fact, String before, String after) {
        public String line() {
            return switch (kind) {
                case ADDED -> "+ " + HostImage.line(fact, after);
                case REMOVED -> "- " + HostImage.line(fact, before);
                case CHANGED -> "~ " + fact + "  " + before + " -> " + after;
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
            int split = change.fact().indexOf("  ");
            if (split < 0) {
                lines.add(change.line());
                group = null;
                continue;
            }
            String subject = change.fact().substring(0, split);
            String detail = named(change.fact().substring(split + 2));
            if (detail.equals("(key)")) {
                lines.add(change.line());
                group = subject;
                continue;
            }
            if (!subject.equals(group)) {
                lines.add(subject);
                group = subject;
            }
            List<String> was = before.entries(change.fact());
            List<String> is = after.entries(change.fact());
            Change item = new Change(change.kind(), detail, change.before(), change.after());
            if (change.kind() == Kind.CHANGED && was != null && is != null) {
                lines.add("  ~ " + detail + "  " + was.size() + " entries -> " + is.size() + " entries");
                entryChanges(was, is, "      - ", lines);
                entryChanges(is, was, "      + ", lines);
            } else {
                lines.add("  " + item.line());
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
    private static void compare(Map<String, String> before, Map<String, String> after, List<Change> out) {
        List<String> old = new ArrayList<>(before.keySet());
        Map<String, Integer> oldIndex = new HashMap<>();
        for (int i = 0; i < old.size(); i++) {
            oldIndex.put(old.get(i), i);
        }
        int next = 0;
        for (Map.Entry<String, String> fact : after.entrySet()) {
            Integer at = oldIndex.get(fact.getKey());
            if (at == null) {
                out.add(new Change(Kind.ADDED, fact.getKey(), null, fact.getValue()));
                continue;
            }
            for (; next <= at; next++) {
                removedAt(old.get(next), before, after, out);
            }
            String was = before.get(fact.getKey());
            if (!was.equals(fact.getValue())) {
                out.add(new Change(Kind.CHANGED, fact.getKey(), was, fact.getValue()));
            }
        }
        for (; next < old.size(); next++) {
            removedAt(old.get(next), before, after, out);
        }
    }

    private static void removedAt(String fact, Map<String, String> before, Map<String, String> after, List<Change> out) {
        if (!after.containsKey(fact)) {
            out.add(new Change(Kind.REMOVED, fact, before.get(fact), null));
        }
    }
}
