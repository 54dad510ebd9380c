package com.vantora.adminserver.preview;

import com.google.gson.annotations.SerializedName;
import com.vantora.winsim.image.Describe;
import com.vantora.winsim.image.ImageModel;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import com.vantora.winsim.image.ImageModel.MetabaseRecord;
import com.vantora.winsim.image.ImageModel.RegistryKey;
import com.vantora.winsim.image.ImageModel.RegistryValue;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Names;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Objects;
import java.util.Set;

/**
 * A change to a server's metabase and registry, key by key and record by record, with the captures it was
 * previewed on and the calls that made it: what change.json holds.
 */
public record ChangeSet(List<Capture> captures, List<String> calls, List<MetabaseChange> metabase,
        List<RegistryChange> registry) {
    public enum Kind {
        @SerializedName("added") ADDED,
        @SerializedName("removed") REMOVED,
        @SerializedName("changed") CHANGED
    }

    /**
     * A captured file the change was previewed on: {@code metabase} or {@code registry}, as given; for a
     * registry export, the keys it holds, each standing for the whole of its subtree as exported.
     */
    public record Capture(String role, String file, String sha256, List<String> keys) {
    }

    /** A key (when {@code id} is null) or one of its records. */
    public record MetabaseChange(Kind change, String key, Long id, MetabaseRecord before, MetabaseRecord after) {
        String what() {
            return "metabase " + key + (id == null ? " (key)" : " #" + id + named(id));
        }

        String state(MetabaseRecord r) {
            return r == null ? "absent" : data(r.hex(), r.value()) + " (attr " + r.attributes() + ", user "
                    + r.userType() + ", type " + r.dataType() + ")";
        }
    }

    /** A key (when {@code value} is null) or one of its values; "" is the key's default value. */
    public record RegistryChange(Kind change, String key, String value, RegistryValue before, RegistryValue after) {
        String what() {
            return "registry " + key + (value == null ? " (key)" : " " + (value.isEmpty() ? "(default)" : value));
        }

        String state(RegistryValue v) {
            return v == null ? "absent" : Describe.registryType(v.type()) + " " + data(v.hex(), v.data());
        }
    }

    /**
     * Records IIS keeps up to date itself, which change on a running server whatever was called: a site's
     * state. (The file's change number is not a record: the import leaves it out.)
     */
    static final Set<Long> MAINTAINED_BY_IIS = Set.of(1016L);
    /**
     * Records the library writes as a command to the running server and never saves (the start of a site): a
     * capture holds one only when something saved the metabase after it, so its absence is no difference.
     */
    static final Set<Long> UNSAVED_COMMANDS = Set.of(1012L);

    static ChangeSet between(Image before, Image after, List<Capture> captures, List<String> calls) {
        List<MetabaseChange> metabase = new ArrayList<>();
        Map<String, Entry<Long, MetabaseRecord>> was = metabaseKeys(before);
        Map<String, Entry<Long, MetabaseRecord>> is = metabaseKeys(after);
        compare(was, is, (kind, key, id, b, a) -> {
            if (id == null || !MAINTAINED_BY_IIS.contains(id)) {
                metabase.add(new MetabaseChange(kind, key, id, b, a));
            }
        }, ChangeSet::same);
        List<RegistryChange> registry = new ArrayList<>();
        compare(registryKeys(before), registryKeys(after), (kind, key, name, b, a) ->
                registry.add(new RegistryChange(kind, key, name, b, a)), ChangeSet::same);
        return new ChangeSet(captures, calls, metabase, registry);
    }

    /** The same record, whatever form the image gives its bytes in; two nulls are the same. */
    static boolean same(MetabaseRecord x, MetabaseRecord y) {
        return x == null || y == null ? x == y : Objects.equals(x.attributes(), y.attributes())
                && Objects.equals(x.userType(), y.userType()) && Objects.equals(x.dataType(), y.dataType())
                && Arrays.equals(bytes(x), bytes(y));
    }

    static boolean same(RegistryValue x, RegistryValue y) {
        return x == null || y == null ? x == y : Objects.equals(x.type(), y.type()) && Arrays.equals(bytes(x), bytes(y));
    }

    /** A key as found: its path as written, and its records or values by folded id or name, in order. */
    record Entry<I, V>(String path, Map<Object, I> ids, Map<Object, V> items) {
    }

    interface Sink<I, V> {
        void add(Kind kind, String key, I id, V before, V after);
    }

    interface Same<V> {
        boolean test(V a, V b);
    }

    /** Keys and their items in the new order; what went follows, in the old order. */
    private static <I, V> void compare(Map<String, Entry<I, V>> before, Map<String, Entry<I, V>> after,
            Sink<I, V> out, Same<V> same) {
        for (Map.Entry<String, Entry<I, V>> key : after.entrySet()) {
            Entry<I, V> is = key.getValue();
            Entry<I, V> was = before.get(key.getKey());
            if (was == null) {
                out.add(Kind.ADDED, is.path(), null, null, null);
                is.items().forEach((k, v) -> out.add(Kind.ADDED, is.path(), is.ids().get(k), null, v));
                continue;
            }
            is.items().forEach((k, v) -> {
                V old = was.items().get(k);
                if (old == null) {
                    out.add(Kind.ADDED, is.path(), is.ids().get(k), null, v);
                } else if (!same.test(old, v)) {
                    out.add(Kind.CHANGED, is.path(), is.ids().get(k), old, v);
                }
            });
            was.items().forEach((k, v) -> {
                if (!is.items().containsKey(k)) {
                    out.add(Kind.REMOVED, is.path(), was.ids().get(k), v, null);
                }
            });
        }
        for (Map.Entry<String, Entry<I, V>> key : before.entrySet()) {
            Entry<I, V> was = key.getValue();
            if (!after.containsKey(key.getKey())) {
                out.add(Kind.REMOVED, was.path(), null, null, null);
                was.items().forEach((k, v) -> out.add(Kind.REMOVED, was.path(), was.ids().get(k), v, null));
            }
        }
    }

    static Map<String, Entry<Long, MetabaseRecord>> metabaseKeys(Image image) {
        Map<String, Entry<Long, MetabaseRecord>> keys = new LinkedHashMap<>();
        if (image.iis() != null && image.iis().metabase() != null) {
            metabaseKey(image.iis().metabase(), "/", keys);
        }
        return keys;
    }

    private static void metabaseKey(MetabaseKey key, String path, Map<String, Entry<Long, MetabaseRecord>> keys) {
        Entry<Long, MetabaseRecord> entry = new Entry<>(path, new LinkedHashMap<>(), new LinkedHashMap<>());
        if (keys.putIfAbsent(Names.fold(path), entry) != null) {
            return;  // a second key of one name is out of reach, as it is for the host
        }
        for (MetabaseRecord r : ImageModel.each(key.records())) {
            entry.ids().putIfAbsent(r.id(), r.id());
            entry.items().putIfAbsent(r.id(), r);
        }
        for (MetabaseKey child : ImageModel.each(key.children())) {
            metabaseKey(child, (path.equals("/") ? "/" : path + "/") + child.name(), keys);
        }
    }

    static Map<String, Entry<String, RegistryValue>> registryKeys(Image image) {
        Map<String, Entry<String, RegistryValue>> keys = new LinkedHashMap<>();
        if (image.registry() != null) {
            image.registry().forEach((hive, key) -> registryKey(key, hive, keys));
        }
        return keys;
    }

    private static void registryKey(RegistryKey key, String path, Map<String, Entry<String, RegistryValue>> keys) {
        Entry<String, RegistryValue> entry = new Entry<>(path, new LinkedHashMap<>(), new LinkedHashMap<>());
        if (keys.putIfAbsent(Names.fold(path), entry) != null) {
            return;
        }
        for (RegistryValue v : ImageModel.each(key.values())) {
            entry.ids().putIfAbsent(Names.fold(v.name()), v.name());
            entry.items().putIfAbsent(Names.fold(v.name()), v);
        }
        for (RegistryKey child : ImageModel.each(key.children())) {
            registryKey(child, path + "\\" + child.name(), keys);
        }
    }

    static byte[] bytes(MetabaseRecord r) {
        return r.hex() != null ? ImageValues.unhex(r.hex())
                : ImageValues.metabaseBytes(r.dataType() == null ? 0 : r.dataType(), r.value());
    }

    static byte[] bytes(RegistryValue v) {
        return v.hex() != null ? ImageValues.unhex(v.hex()) : ImageValues.registryBytes(v.type() == null ? 0 : v.type(), v.data());
    }


    private static String data(String hex, Object value) {
        return hex != null ? "hex " + hex : Describe.value(value);
    }

    private static String named(long id) {
        MetabaseSchema.Property p = MetabaseSchema.byId(id);
        return p == null ? "" : " " + p.name();
    }
}
