package com.vantora.bench;

import com.vantora.adminserver.preview.BadInput;
import com.vantora.adminserver.preview.HostImageTool;
import com.vantora.adminserver.preview.MetabaseSchema;
import com.vantora.adminserver.preview.MetabaseSchema.Property;
import com.vantora.adminserver.preview.MetabaseXml;
import com.vantora.adminserver.preview.Preview;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import com.vantora.winsim.image.ImageModel.MetabaseRecord;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Names;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.Set;
import java.util.concurrent.Callable;
import picocli.CommandLine.Command;
import picocli.CommandLine.Option;

/**
 * A shared host: the stock metabase with thousands of sites, each with a few properties of every
 * form (flags, booleans, text, lists, hex, secure values, custom records) chosen from the seed,
 * written as a MetaBase.xml.
 */
@Command(name = "generate", customSynopsis = "host-image.sh generate --sites N [--seed S]")
public final class MetabaseGenerator implements Callable<Integer> {
    /** Records the library reads to find its way; random values there would make a different server. */
    private static final Set<Long> LEFT_ALONE = Set.of(1002L, 1015L, 1016L, 1017L, 1023L, 2040L, 2041L, 2042L,
            2043L, 2044L, 2045L, 2168L, 3001L, 6014L, 6015L, 9101L);
    private static final String LETTERS = "abcXYZ09 .,;:/\\%&<>\"'\té\u20ac";
    private static final List<Property> PROPERTIES = MetabaseSchema.all().stream()
            .filter(p -> !LEFT_ALONE.contains(p.id())).sorted(Comparator.comparingLong(Property::id)).toList();

    @Option(names = "--sites", required = true)
    int sites;
    @Option(names = "--seed")
    long seed = 1;

    public static void main(String[] args) {
        System.exit(Preview.execute(new MetabaseGenerator(), args, System.out, System.err));
    }

    @Override
    public Integer call() throws BadInput {
        Preview.print(System.out, MetabaseXml.write(generate(sites, seed, HostImageTool.stockImage()), "generated"));
        return 0;
    }

    public static MetabaseKey generate(int sites, long seed, Path stock) throws BadInput {
        MetabaseKey root = HostImageTool.metabase(HostImageTool.readImage(stock), stock.toString());
        MetabaseKey w3svc = child(child(root, "LM"), "W3SVC");
        MetabaseKey pools = child(w3svc, "AppPools");
        Random random = new Random(seed);
        for (int i = 2; i <= sites; i++) {
            MetabaseKey site = add(w3svc, Integer.toString(i), "IIsWebServer");
            site.records().add(text(1015, 1, 1, "Site " + i));
            site.records().add(MetabaseRecord.of(1023, 0, 1, 5, Map.entry("value", List.of(":80:site" + i + ".example.com"))));
            extras(site, random);
            MetabaseKey root1 = add(site, "ROOT", "IIsWebVirtualDir");
            root1.records().add(text(3001, 1, 2, "D:\\Sites\\site" + i));
            root1.records().add(MetabaseRecord.of(6016, 1, 2, 1, Map.entry("value", 513L)));
            root1.records().add(text(9101, 1, 1, "Pool" + i % 20));
            extras(root1, random);
        }
        for (int i = 0; i < Math.min(20, sites); i++) {
            add(pools, "Pool" + i, "IIsApplicationPool");
        }
        return root;
    }

    /** Up to three named properties and sometimes a custom record, after the key's own. */
    private static void extras(MetabaseKey key, Random random) {
        for (int n = random.nextInt(4); n > 0; n--) {
            Property p = PROPERTIES.get(random.nextInt(PROPERTIES.size()));
            if (key.records().stream().noneMatch(r -> r.id() == p.id())) {
                key.records().add(record(p.id(), p.attributes(), p.userType(), p.dataType(), p, random));
            }
        }
        if (random.nextInt(4) == 0) {
            // an id the table lacks, or one it describes otherwise
            long id = random.nextBoolean() ? 60000 + random.nextInt(1000)
                    : PROPERTIES.get(random.nextInt(PROPERTIES.size())).id();
            long[] userTypes = {1, 2, 100, 101, 7};
            MetabaseRecord custom = record(id, random.nextInt(256), userTypes[random.nextInt(5)],
                    1 + random.nextInt(5), null, random);
            if (key.records().stream().noneMatch(r -> r.id() == id)) {
                key.records().add(custom);
            }
        }
    }

    private static MetabaseRecord record(long id, long attributes, long userType, int type, Property p, Random random) {
        if ((attributes & MetabaseSchema.SECURE) != 0 || type == 3) {
            byte[] bytes = new byte[random.nextInt(3) * 8];
            random.nextBytes(bytes);
            return MetabaseRecord.of(id, attributes, userType, type, Map.entry("hex", ImageValues.hex(bytes)));
        }
        Object value = switch (type) {
            case 1 -> p != null && p.isBool() ? random.nextInt(3) : p != null && !p.flags().isEmpty()
                    ? p.flags().values().stream().filter(bit -> random.nextBoolean()).reduce(0L, Long::sum)
                    : random.nextLong() & 0xFFFFFFFFL;
            case 5 -> {
                List<String> entries = new ArrayList<>();
                for (int n = random.nextInt(4); n > 0; n--) {
                    entries.add("e" + string(random));
                }
                yield entries;
            }
            default -> string(random);
        };
        return MetabaseRecord.of(id, attributes, userType, type, Map.entry("value", value instanceof Integer i ? (long) i : value));
    }

    private static String string(Random random) {
        StringBuilder s = new StringBuilder();
        for (int n = random.nextInt(12); n > 0; n--) {
            s.append(LETTERS.charAt(random.nextInt(LETTERS.length())));
        }
        return s.toString();
    }

    private static MetabaseRecord text(long id, long attributes, long userType, String value) {
        return MetabaseRecord.of(id, attributes, userType, 2, Map.entry("value", value));
    }

    private static MetabaseKey add(MetabaseKey parent, String name, String keyType) {
        MetabaseKey key = MetabaseKey.empty(name);
        key.records().add(text(1002, 0, 1, keyType));
        parent.children().add(key);
        return key;
    }

    private static MetabaseKey child(MetabaseKey parent, String name) throws BadInput {
        for (MetabaseKey key : parent.children()) {
            if (Names.same(name, key.name())) {
                return key;
            }
        }
        throw new BadInput("stock image", 0, "no metabase key " + name);
    }
}
