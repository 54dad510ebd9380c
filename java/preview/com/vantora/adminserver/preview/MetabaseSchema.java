package com.vantora.adminserver.preview;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;

/** The IIS 6 property and flag tables: what a MetaBase.xml attribute name means and how its value is written. */
public final class MetabaseSchema {
    public static final int SECURE = 4;

    /** One property; {@code flags} maps each symbolic name to its bit, in table order (empty for most). */
    public record Property(String name, long id, String schemaType, int dataType, long userType, long attributes,
            Map<String, Long> flags) {
        public boolean isBool() {
            return schemaType.equals("BOOL");
        }
    }

    private static final Map<String, Property> BY_NAME = new HashMap<>();
    private static final Map<Long, Property> BY_ID = new HashMap<>();

    static {
        Map<String, Map<String, Long>> flags = new HashMap<>();
        for (String[] row : table("iis6-metabase-flags.tsv")) {
            flags.computeIfAbsent(row[0].toLowerCase(Locale.ROOT), k -> new LinkedHashMap<>())
                    .put(row[1], Long.parseLong(row[2]));
        }
        for (String[] row : table("iis6-metabase-properties.tsv")) {
            Property p = new Property(row[0], Long.parseLong(row[1]), row[2], Integer.parseInt(row[3]),
                    Long.parseLong(row[4]), Long.parseLong(row[5]),
                    flags.getOrDefault(row[0].toLowerCase(Locale.ROOT), Map.of()));
            BY_NAME.put(p.name().toLowerCase(Locale.ROOT), p);
            BY_ID.put(p.id(), p);
        }
    }

    private MetabaseSchema() {
    }

    /** By name as written in MetaBase.xml, in any case; null when the table does not have it. */
    public static Property byName(String name) {
        return BY_NAME.get(name.toLowerCase(Locale.ROOT));
    }

    public static Property byId(long id) {
        return BY_ID.get(id);
    }

    public static List<Property> all() {
        return List.copyOf(BY_ID.values());
    }

    private static List<String[]> table(String resource) {
        List<String[]> rows = new ArrayList<>();
        try (InputStream in = MetabaseSchema.class.getResourceAsStream(resource)) {
            if (in == null) {
                throw new IllegalStateException("the tools jar lacks " + resource);
            }
            BufferedReader reader = new BufferedReader(new InputStreamReader(in, StandardCharsets.UTF_8));
            reader.readLine();
            for (String line = reader.readLine(); line != null; line = reader.readLine()) {
                if (!line.isBlank()) {
                    rows.add(line.split("\t"));
                }
            }
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        return rows;
    }
}
