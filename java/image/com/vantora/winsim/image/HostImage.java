package com.vantora.winsim.image;

import com.vantora.winsim.image.ImageModel.Iis;
import com.vantora.winsim.image.ImageModel.Image;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import com.vantora.winsim.image.ImageModel.MetabaseRecord;
import com.vantora.winsim.image.ImageModel.RegistryKey;
import com.vantora.winsim.image.ImageModel.RegistryValue;
import java.util.ArrayList;
import java.util.Collections;
import java.util.EnumMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A host image as a flat list of facts a person can read, each named by what it is
 * (a key path and record id, a service name) rather than by where it sits in the JSON,
 * so that two images can be compared fact by fact. Facts keep the image's order.
 */
public final class HostImage {
    /** Where a fact belongs; also the order facts are listed and compared in. */
    public enum Area { HOST, SERVICES, METABASE, REGISTRY, BACKUPS, BROADCASTS }

    /**
     * One fact: what it is about (a key, a service, the host's own settings) and, for a key's
     * record or value, which one; a key's facts are grouped under its subject.
     */
    public record Fact(Area area, String subject, String detail) {
        public String name() {
            return detail == null ? subject : subject + "  " + detail;
        }

        @Override
        public String toString() {
            return name();
        }

        // Written out: a record's generated equals and hashCode go through method handles, which the
        // preview's first-tier compiler leaves slow, and the differences of a large image ask them millions of times.
        @Override
        public boolean equals(Object o) {
            return o instanceof Fact f && area == f.area && java.util.Objects.equals(subject, f.subject) && java.util.Objects.equals(detail, f.detail);
        }

        @Override
        public int hashCode() {
            return (area.hashCode() * 31 + java.util.Objects.hashCode(subject)) * 31 + java.util.Objects.hashCode(detail);
        }
    }

    private final Map<Area, Map<Fact, String>> facts = new EnumMap<>(Area.class);
    private final Map<Fact, List<String>> entries = new java.util.HashMap<>();

    private HostImage() {
        for (Area area : Area.values()) {
            facts.put(area, new LinkedHashMap<>());
        }
    }

    public static HostImage parse(String json) {
        return of(Json.image(json));
    }

    /** Throws IllegalArgumentException naming the place that is not an image. */
    public static HostImage of(Image root) {
        HostImage image = new HostImage();
        image.readImage(root);
        return image;
    }

    /** Every fact, area by area. */
    public Map<Fact, String> facts() {
        Map<Fact, String> all = new LinkedHashMap<>();
        facts.values().forEach(all::putAll);
        return Collections.unmodifiableMap(all);
    }

    public Map<Fact, String> facts(Area area) {
        return Collections.unmodifiableMap(facts.get(area));
    }

    /** The entries of a list-valued metabase record's fact, each as shown; null for any other fact. */
    public List<String> entries(Fact fact) {
        return entries.get(fact);
    }

    /** The value of a fact, or null when the image does not have it. */
    /** The value of the fact of that name, or null when the image does not have it. */
    public String get(String name) {
        for (Map<Fact, String> area : facts.values()) {
            for (Map.Entry<Fact, String> fact : area.entrySet()) {
                if (fact.getKey().name().equals(name)) {
                    return fact.getValue();
                }
            }
        }
        return null;
    }

    public List<String> lines() {
        List<String> lines = new ArrayList<>();
        facts().forEach((fact, value) -> lines.add(line(fact.name(), value)));
        return lines;
    }

    @Override
    public String toString() {
        return String.join("\n", lines());
    }

    public static String line(String fact, String value) {
        return value.isEmpty() ? fact : fact + "  " + value;
    }

    private void readImage(Image image) {
        if (image.winsim() != null) {
            put(Area.HOST, "winsim", Describe.value(image.winsim()));
        }
        Map<String, Object> caller = image.caller() == null ? Map.of() : image.caller();
        put(Area.HOST, "caller administrator", Describe.value(caller.getOrDefault("administrator", true)));
        put(Area.HOST, "caller comApartment", Describe.value(caller.getOrDefault("comApartment", "none")));
        put(Area.HOST, "timeoutScale", Describe.value(image.timeoutScale() == null ? 1L : image.timeoutScale()));
        List<Object> faults = ImageModel.each(image.faults());
        for (int i = 0; i < faults.size(); i++) {
            readFault(object(faults.get(i), "faults[" + i + "]"), "fault " + (i + 1));
        }
        image.more().forEach((name, value) -> put(Area.HOST, "other " + name, Json.write(value)));

        List<Object> services = ImageModel.each(image.services());
        for (int i = 0; i < services.size(); i++) {
            readService(object(services.get(i), "services[" + i + "]"), "services[" + i + "]");
        }

        readIis(image.iis());

        Map<String, RegistryKey> registry = image.registry() == null ? Map.of() : image.registry();
        for (Map.Entry<String, RegistryKey> hive : registry.entrySet()) {
            String where = "registry." + hive.getKey();
            readRegistryKey(present(hive.getValue(), where), Describe.hive(hive.getKey()), where, 0);
        }

        List<Object> broadcasts = ImageModel.each(image.broadcasts());
        for (int i = 0; i < broadcasts.size(); i++) {
            readBroadcast(object(broadcasts.get(i), "broadcasts[" + i + "]"), "broadcast " + (i + 1));
        }
    }

    private void readFault(Map<String, Object> fault, String fact) {
        StringBuilder value = new StringBuilder(text(fault.get("call"), fact + ".call"));
        value.append(" occurrence ").append(Describe.value(fault.get("occurrence")));
        for (String filter : List.of("path", "name")) {
            if (fault.containsKey(filter)) {
                value.append(' ').append(filter).append(' ').append(Describe.value(fault.get(filter)));
            }
        }
        value.append(" status ").append(Describe.status(fault.get("status")));
        put(Area.HOST, fact, value.toString());
    }

    private void readService(Map<String, Object> service, String where) {
        String value = Describe.serviceState(service.get("state"))
                + ", start type " + Describe.value(service.get("startType"));
        Object result = service.getOrDefault("startResult", 0L);
        if (!Long.valueOf(0).equals(result)) {
            value += ", start result " + Describe.status(result);
        }
        Object denied = service.getOrDefault("deniedAccess", 0L);
        if (!Long.valueOf(0).equals(denied)) {
            value += ", denied access " + (denied instanceof Long n ? "0x" + Long.toHexString(n) : Describe.value(denied));
        }
        put(Area.SERVICES, "service " + text(service.get("name"), where + ".name"), value);
    }

    private void readIis(Iis iis) {
        if (iis == null) {
            put(Area.METABASE, "iis", "not installed");
            return;
        }
        put(Area.METABASE, "iis", "installed");
        if (iis.metabase() != null) {
            readMetabaseKey(iis.metabase(), "/", "iis.metabase", 0);
        }
        List<Object> held = ImageModel.each(iis.heldKeys());
        for (int i = 0; i < held.size(); i++) {
            String where = "iis.heldKeys[" + i + "]";
            Map<String, Object> key = object(held.get(i), where);
            put(Area.METABASE, "held key " + text(key.get("path"), where + ".path"),
                    "access " + Describe.value(key.get("access")));
        }
        List<Object> backups = ImageModel.each(iis.backups());
        for (int i = 0; i < backups.size(); i++) {
            String where = "iis.backups[" + i + "]";
            Map<String, Object> backup = object(backups.get(i), where);
            put(Area.BACKUPS, "backup " + Json.quote(text(backup.get("name"), where + ".name"))
                    + " v" + Describe.value(backup.get("version")), "saved");
        }
    }

    private void readMetabaseKey(MetabaseKey key, String path, String where, int depth) {
        boolean root = depth == 0;
        if (depth > Limits.KEY_DEPTH) {
            throw new IllegalArgumentException(Limits.keyDepthProblem("iis.metabase: keys"));
        }
        // one subject for the key's facts, and where a record is only said when it is wrong: a large
        // image has hundreds of thousands of records
        String subject = "metabase " + path;
        if (!root) {
            put(Area.METABASE, subject, "(key)", "");
        }
        List<MetabaseRecord> records = ImageModel.each(key.records());
        for (int i = 0; i < records.size(); i++) {
            MetabaseRecord record = records.get(i);
            if (record == null || record.id() == null) {
                String at = where + ".records[" + i + "]";
                throw new IllegalArgumentException(record == null ? at + ": missing" : at + ".id: expected an integer");
            }
            Fact fact = put(Area.METABASE, subject, "#" + record.id(), data(record.hex(), record.value())
                    + " (attr " + Describe.value(record.attributes())
                    + ", user " + Describe.value(record.userType())
                    + ", type " + Describe.value(record.dataType()) + ")");
            if (record.value() instanceof List<?> list) {
                entries.put(fact, list.stream().map(Describe::value).toList());
            }
        }
        List<MetabaseKey> children = ImageModel.each(key.children());
        for (int i = 0; i < children.size(); i++) {
            String at = where + ".children[" + i + "]";
            MetabaseKey child = present(children.get(i), at);
            String name = present(child.name(), at + ".name");
            readMetabaseKey(child, (root ? "/" : path + "/") + name, at, depth + 1);
        }
    }

    private void readRegistryKey(RegistryKey key, String path, String where, int depth) {
        if (depth > Limits.KEY_DEPTH) {
            throw new IllegalArgumentException(Limits.keyDepthProblem("registry: keys"));
        }
        if (depth > 0) {
            put(Area.REGISTRY, "registry " + path, "(key)", "");
        }
        List<RegistryValue> values = ImageModel.each(key.values());
        for (int i = 0; i < values.size(); i++) {
            String at = where + ".values[" + i + "]";
            RegistryValue value = present(values.get(i), at);
            String name = present(value.name(), at + ".name");
            put(Area.REGISTRY, "registry " + path, name.isEmpty() ? "(default)" : name,
                    Describe.registryType(value.type()) + " " + data(value.hex(), value.data()));
        }
        List<RegistryKey> children = ImageModel.each(key.children());
        for (int i = 0; i < children.size(); i++) {
            String at = where + ".children[" + i + "]";
            RegistryKey child = present(children.get(i), at);
            readRegistryKey(child, path + "\\" + present(child.name(), at + ".name"), at, depth + 1);
        }
    }

    private void readBroadcast(Map<String, Object> broadcast, String fact) {
        StringBuilder value = new StringBuilder("message ").append(Describe.value(broadcast.get("message")));
        // HWND_BROADCAST and a zero wParam are what every change broadcast carries; only say otherwise
        Object window = broadcast.get("window");
        if (window != null && !Long.valueOf(0xFFFF).equals(window)) {
            value.append(" window ").append(Describe.value(window));
        }
        Object wParam = broadcast.get("wParam");
        if (wParam != null && !Long.valueOf(0).equals(wParam)) {
            value.append(" wParam ").append(Describe.value(wParam));
        }
        value.append(" lParam ").append(Describe.value(broadcast.get("lParam")))
                .append(" flags ").append(Describe.value(broadcast.get("flags")))
                .append(" timeout ").append(Describe.value(broadcast.get("timeout")));
        put(Area.BROADCASTS, fact, value.toString());
    }

    private static String data(String hex, Object value) {
        return hex != null ? "hex " + hex : value != null ? Describe.value(value) : "no data";
    }

    /** Adds a fact; a repeated one (two records with one id, say) is kept under a numbered name, which it returns. */
    private Fact put(Area area, String subject, String value) {
        return put(area, subject, null, value);
    }

    private Fact put(Area area, String subject, String detail, String value) {
        Map<Fact, String> map = facts.get(area);
        Fact fact = new Fact(area, subject, detail);
        for (int n = 2; map.containsKey(fact); n++) {
            fact = detail == null ? new Fact(area, subject + " (" + n + ")", null) : new Fact(area, subject, detail + " (" + n + ")");
        }
        map.put(fact, value);
        return fact;
    }

    @SuppressWarnings("unchecked")
    private static Map<String, Object> object(Object v, String where) {
        if (v instanceof Map<?, ?> map) {
            return (Map<String, Object>) map;
        }
        throw new IllegalArgumentException(where + ": expected an object");
    }


    private static <T> T present(T v, String where) {
        if (v == null) {
            throw new IllegalArgumentException(where + ": missing");
        }
        return v;
    }

    private static String text(Object v, String where) {
        if (v instanceof String s) {
            return s;
        }
        throw new IllegalArgumentException(where + ": expected text");
    }
}
