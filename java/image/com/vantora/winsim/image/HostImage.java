package com.vantora.winsim.image;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Collections;
import java.util.EnumMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;

/**
 * A host image as a flat list of facts a person can read, each named by what it is
 * (a key path and record id, a service name) rather than by where it sits in the JSON,
 * so that two images can be compared fact by fact. Facts keep the image's order.
 */
public final class HostImage {
    /** Where a fact belongs; also the order facts are listed and compared in. */
    public enum Area { HOST, SERVICES, METABASE, REGISTRY, BACKUPS, BROADCASTS }

    private static final Set<String> KNOWN = Set.of(
            "winsim", "caller", "timeoutScale", "iis", "registry", "services", "broadcasts", "faults");

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
    }

    private final Map<Area, Map<Fact, String>> facts = new EnumMap<>(Area.class);
    private final Map<Fact, List<String>> entries = new java.util.HashMap<>();

    private HostImage() {
        for (Area area : Area.values()) {
            facts.put(area, new LinkedHashMap<>());
        }
    }

    public static HostImage read(Path file) throws IOException {
        return parse(Files.readString(file, StandardCharsets.UTF_8));
    }

    public static HostImage parse(String json) {
        return ofParsed(Json.parse(json));
    }

    /** From JSON as {@link Json#parse} gives it, without the copy {@link #of} makes. */
    public static HostImage ofParsed(Object root) {
        HostImage image = new HostImage();
        image.readImage(object(root, "image"));
        return image;
    }

    /**
     * From an image already parsed, or built by hand from maps, lists and boxed numbers;
     * throws IllegalArgumentException naming the place that is not an image.
     */
    public static HostImage of(Object root) {
        return ofParsed(normalized(root));
    }

    /** Numbers as {@link Json#parse} gives them, so that 4 built by hand reads like 4 parsed. */
    private static Object normalized(Object v) {
        if (v instanceof Integer || v instanceof Short || v instanceof Byte) {
            return ((Number) v).longValue();
        }
        if (v instanceof Float f) {
            return f.doubleValue();
        }
        if (v instanceof Map<?, ?> map) {
            Map<String, Object> copy = new LinkedHashMap<>();
            map.forEach((k, item) -> copy.put(String.valueOf(k), normalized(item)));
            return copy;
        }
        if (v instanceof List<?> list) {
            List<Object> copy = new ArrayList<>();
            list.forEach(item -> copy.add(normalized(item)));
            return copy;
        }
        return v;
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

    private void readImage(Map<String, Object> image) {
        if (image.containsKey("winsim")) {
            put(Area.HOST, "winsim", Describe.value(image.get("winsim")));
        }
        Map<String, Object> caller = optionalObject(image.get("caller"), "caller");
        put(Area.HOST, "caller administrator", Describe.value(caller.getOrDefault("administrator", true)));
        put(Area.HOST, "caller comApartment", Describe.value(caller.getOrDefault("comApartment", "none")));
        put(Area.HOST, "timeoutScale", Describe.value(image.getOrDefault("timeoutScale", 1L)));
        List<Object> faults = array(image.get("faults"), "faults");
        for (int i = 0; i < faults.size(); i++) {
            readFault(object(faults.get(i), "faults[" + i + "]"), "fault " + (i + 1));
        }
        for (Map.Entry<String, Object> e : image.entrySet()) {
            if (!KNOWN.contains(e.getKey())) {
                put(Area.HOST, "other " + e.getKey(), Json.write(e.getValue()));
            }
        }

        List<Object> services = array(image.get("services"), "services");
        for (int i = 0; i < services.size(); i++) {
            readService(object(services.get(i), "services[" + i + "]"), "services[" + i + "]");
        }

        readIis(image.get("iis"));

        Map<String, Object> registry = optionalObject(image.get("registry"), "registry");
        for (Map.Entry<String, Object> hive : registry.entrySet()) {
            String where = "registry." + hive.getKey();
            readRegistryKey(object(hive.getValue(), where), Describe.hive(hive.getKey()), where, 0);
        }

        List<Object> broadcasts = array(image.get("broadcasts"), "broadcasts");
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

    private void readIis(Object iisValue) {
        if (iisValue == null) {
            put(Area.METABASE, "iis", "not installed");
            return;
        }
        Map<String, Object> iis = object(iisValue, "iis");
        put(Area.METABASE, "iis", "installed");
        if (iis.get("metabase") != null) {
            readMetabaseKey(object(iis.get("metabase"), "iis.metabase"), "/", "iis.metabase", 0);
        }
        List<Object> held = array(iis.get("heldKeys"), "iis.heldKeys");
        for (int i = 0; i < held.size(); i++) {
            String where = "iis.heldKeys[" + i + "]";
            Map<String, Object> key = object(held.get(i), where);
            put(Area.METABASE, "held key " + text(key.get("path"), where + ".path"),
                    "access " + Describe.value(key.get("access")));
        }
        List<Object> backups = array(iis.get("backups"), "iis.backups");
        for (int i = 0; i < backups.size(); i++) {
            String where = "iis.backups[" + i + "]";
            Map<String, Object> backup = object(backups.get(i), where);
            put(Area.BACKUPS, "backup " + Json.quote(text(backup.get("name"), where + ".name"))
                    + " v" + Describe.value(backup.get("version")), "saved");
        }
    }

    private void readMetabaseKey(Map<String, Object> key, String path, String where, int depth) {
        boolean root = depth == 0;
        if (depth > Limits.KEY_DEPTH) {
            throw new IllegalArgumentException(Limits.keyDepthProblem("iis.metabase: keys"));
        }
        if (!root) {
            put(Area.METABASE, "metabase " + path, "(key)", "");
        }
        List<Object> records = array(key.get("records"), where + ".records");
        for (int i = 0; i < records.size(); i++) {
            String at = where + ".records[" + i + "]";
            Map<String, Object> record = object(records.get(i), at);
            if (!(record.get("id") instanceof Long id)) {
                throw new IllegalArgumentException(at + ".id: expected an integer");
            }
            Fact fact = put(Area.METABASE, "metabase " + path, "#" + id, data(record, "value")
                    + " (attr " + Describe.value(record.get("attributes"))
                    + ", user " + Describe.value(record.get("userType"))
                    + ", type " + Describe.value(record.get("dataType")) + ")");
            if (record.get("value") instanceof List<?> list) {
                entries.put(fact, list.stream().map(Describe::value).toList());
            }
        }
        List<Object> children = array(key.get("children"), where + ".children");
        for (int i = 0; i < children.size(); i++) {
            String at = where + ".children[" + i + "]";
            Map<String, Object> child = object(children.get(i), at);
            String name = text(child.get("name"), at + ".name");
            readMetabaseKey(child, (root ? "/" : path + "/") + name, at, depth + 1);
        }
    }

    private void readRegistryKey(Map<String, Object> key, String path, String where, int depth) {
        if (depth > Limits.KEY_DEPTH) {
            throw new IllegalArgumentException(Limits.keyDepthProblem("registry: keys"));
        }
        if (depth > 0) {
            put(Area.REGISTRY, "registry " + path, "(key)", "");
        }
        List<Object> values = array(key.get("values"), where + ".values");
        for (int i = 0; i < values.size(); i++) {
            String at = where + ".values[" + i + "]";
            Map<String, Object> value = object(values.get(i), at);
            String name = text(value.get("name"), at + ".name");
            put(Area.REGISTRY, "registry " + path, name.isEmpty() ? "(default)" : name,
                    Describe.registryType(value.get("type")) + " " + data(value, "data"));
        }
        List<Object> children = array(key.get("children"), where + ".children");
        for (int i = 0; i < children.size(); i++) {
            String at = where + ".children[" + i + "]";
            Map<String, Object> child = object(children.get(i), at);
            readRegistryKey(child, path + "\\" + text(child.get("name"), at + ".name"), at, depth + 1);
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

    private static String data(Map<String, Object> holder, String field) {
        if (holder.containsKey("hex")) {
            Object hex = holder.get("hex");
            return "hex " + (hex instanceof String h ? h : Describe.value(hex));
        }
        return holder.containsKey(field) ? Describe.value(holder.get(field)) : "no data";
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

    private static Map<String, Object> optionalObject(Object v, String where) {
        return v == null ? Map.of() : object(v, where);
    }

    @SuppressWarnings("unchecked")
    private static List<Object> array(Object v, String where) {
        if (v == null) {
            return List.of();
        }
        if (v instanceof List<?> list) {
            return (List<Object>) list;
        }
        throw new IllegalArgumentException(where + ": expected an array");
    }

    private static String text(Object v, String where) {
        if (v instanceof String s) {
            return s;
        }
        throw new IllegalArgumentException(where + ": expected text");
    }
}
