package com.vantora.winsim.image;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A host image as the tools read and write it. The trees the tools convert are typed; the host's own
 * settings, services, broadcasts, faults and backups are kept as parsed JSON. Every record keeps the
 * members it does not name in {@code more}, written back after its own, so that an image round-trips.
 * Absent members are null, and stay absent when written.
 */
public final class ImageModel {
    private ImageModel() {
    }

    /** A list of the model, an absent one as empty. */
    public static <T> List<T> each(List<T> list) {
        return list == null ? List.of() : list;
    }

    public record Image(Object winsim, Map<String, Object> caller, Object timeoutScale, Iis iis,
            Map<String, RegistryKey> registry, List<Object> services, List<Object> broadcasts, List<Object> faults,
            Map<String, Object> more) {
        public Image withIisAndRegistry(Iis newIis, Map<String, RegistryKey> newRegistry) {
            return new Image(winsim, caller, timeoutScale, newIis, newRegistry, services, broadcasts, faults, more);
        }
    }

    public record Iis(MetabaseKey metabase, List<Object> backups, List<Object> heldKeys, Map<String, Object> more) {
        public Iis withMetabase(MetabaseKey tree) {
            return new Iis(tree, backups, heldKeys, more);
        }
    }

    /** A metabase key; its lists are the ones the tools build in place. */
    public record MetabaseKey(String name, List<MetabaseRecord> records, List<MetabaseKey> children,
            Map<String, Object> more) {
        public static MetabaseKey empty(String name) {
            return new MetabaseKey(name, new ArrayList<>(), new ArrayList<>(), new LinkedHashMap<>());
        }
    }

    /** {@code value} when the bytes are well formed for the data type, else {@code hex}. */
    public record MetabaseRecord(Long id, Long attributes, Long userType, Long dataType, Object value, String hex,
            Map<String, Object> more) {
        /** A record of the form {@link ImageValues} gives: {@code {"value": v}} or {@code {"hex": h}}. */
        public static MetabaseRecord of(long id, long attributes, long userType, long dataType, Map.Entry<String, Object> form) {
            boolean hex = form.getKey().equals("hex");
            return new MetabaseRecord(id, attributes, userType, dataType, hex ? null : form.getValue(),
                    hex ? (String) form.getValue() : null, new LinkedHashMap<>());
        }
    }

    public record RegistryKey(String name, List<RegistryValue> values, List<RegistryKey> children,
            Map<String, Object> more) {
        public static RegistryKey empty(String name) {
            return new RegistryKey(name, new ArrayList<>(), new ArrayList<>(), new LinkedHashMap<>());
        }
    }

    /** {@code data} when the bytes are well formed for the type, else {@code hex}. */
    public record RegistryValue(String name, Long type, Object data, String hex, Map<String, Object> more) {
        public static RegistryValue of(String name, long type, Map.Entry<String, Object> form) {
            boolean hex = form.getKey().equals("hex");
            return new RegistryValue(name, type, hex ? null : form.getValue(), hex ? (String) form.getValue() : null,
                    new LinkedHashMap<>());
        }
    }
}
