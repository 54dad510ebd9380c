package com.vantora.adminserver.preview;

import com.vantora.adminserver.preview.MetabaseSchema.Property;
import com.vantora.winsim.image.ImageModel.MetabaseKey;
import com.vantora.winsim.image.ImageModel.MetabaseRecord;
import com.vantora.winsim.image.ImageValues;
import com.vantora.winsim.image.Json;
import com.vantora.winsim.image.Limits;
import com.vantora.winsim.image.Names;
import java.io.IOException;
import java.io.StringReader;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.StringJoiner;
import java.util.regex.Pattern;
import javax.xml.parsers.ParserConfigurationException;
import javax.xml.parsers.SAXParserFactory;
import org.xml.sax.Attributes;
import org.xml.sax.InputSource;
import org.xml.sax.Locator;
import org.xml.sax.SAXException;
import org.xml.sax.SAXParseException;
import org.xml.sax.helpers.DefaultHandler;

/**
 * MetaBase.xml, IIS 6's metabase on disk, read into an image's metabase tree and written back from one.
 * Reading then writing then reading gives the same records; writing then reading then writing the same text.
 */
public final class MetabaseXml {
    private static final String NL = "\r\n";
    private static final long KEY_TYPE = 1002;
    private static final List<String> DATA_TYPES = List.of("", "DWORD", "STRING", "BINARY", "EXPANDSZ", "MULTISZ");
    private static final Map<String, Long> USER_TYPES = ordered(
            "IIS_MD_UT_SERVER", 1, "IIS_MD_UT_FILE", 2, "IIS_MD_UT_WAM", 100, "ASP_MD_UT_APP", 101);
    private static final Map<String, Long> ATTRIBUTES = ordered("INHERIT", 1, "PARTIAL_PATH", 2, "SECURE", 4,
            "REFERENCE", 8, "VOLATILE", 16, "ISINHERITED", 32, "INSERT_PATH", 64, "LOCAL_MACHINE_ONLY", 128);
    /** Element names that say "no KeyType record" or mean something else; a key type with one of them is an attribute. */
    private static final Set<String> RESERVED = Set.of(
            "IIS_ROOT", "IIsConfigObject", "IIS_Global", "Custom", "MBProperty", "configuration");
    private static final Pattern DECIMAL = Pattern.compile("[0-9]{1,10}");
    private static final Pattern ELEMENT_NAME = Pattern.compile("[A-Za-z_][A-Za-z0-9_.-]*");
    private static final Pattern LINE_BREAK = Pattern.compile("\r\n|\r|\n");

    private MetabaseXml() {
    }

    /** The metabase tree ({@code name, records, children}) the file holds. */
    public static MetabaseKey read(byte[] bytes, String file) throws BadInput {
        Escaped escaped = new Escaped(Input.utf8(bytes, file));
        if (escaped.oversizeLine > 0) {
            throw new BadInput(file, escaped.oversizeLine, Limits.valueProblem("an attribute value"));
        }
        Reader reader = new Reader(file, escaped);
        try {
            SAXParserFactory factory = SAXParserFactory.newInstance();
            factory.setFeature("http://apache.org/xml/features/disallow-doctype-decl", true);
            factory.newSAXParser().parse(new InputSource(new StringReader(escaped.xml.toString())), reader);
        } catch (SAXException e) {
            if (e.getException() instanceof BadInput bad) {
                throw bad;
            }
            int line = e instanceof SAXParseException p ? escaped.originalLine(p.getLineNumber()) : 0;
            throw new BadInput(file, line, "malformed XML: " + e.getMessage().replaceAll("\\s+", " "));
        } catch (ParserConfigurationException | IOException e) {
            throw new IllegalStateException(e);
        }
        return reader.root;
    }

    /**
     * The text with line breaks and tabs inside attribute values made character references, so that the
     * parser's attribute value normalisation keeps them, and where each start tag and attribute stood.
     */
    private static final class Escaped {
        final StringBuilder xml = new StringBuilder();
        /** The original line each line of {@code xml} starts on. */
        final List<Integer> lineStarts = new ArrayList<>(List.of(1));
        final List<Integer> tagLines = new ArrayList<>();
        final List<Map<String, Integer>> attributeLines = new ArrayList<>();
        /** Where the first value beyond the limit starts, or 0; the parser never sees it. */
        int oversizeLine;
        private int line = 1;

        // Text is copied in runs rather than a character at a time: a large file is millions of characters.
        Escaped(String s) {
            int i = 0;
            while (i < s.length() && oversizeLine == 0) {
                if (s.charAt(i) != '<') {
                    int stop = s.indexOf('<', i);
                    i = copy(s, i, stop < 0 ? s.length() : stop);
                    continue;
                }
                String end = s.startsWith("<!--", i) ? "-->" : s.startsWith("<![CDATA[", i) ? "]]>"
                        : s.startsWith("<?", i) ? "?>" : s.startsWith("<!", i) || s.startsWith("</", i) ? ">" : null;
                if (end != null) {
                    int stop = s.indexOf(end, i);
                    i = copy(s, i, stop < 0 ? s.length() : stop + end.length());
                    continue;
                }
                tagLines.add(line);
                Map<String, Integer> attributes = new HashMap<>();
                attributeLines.add(attributes);
                String name = "";
                i = copy(s, i, i + 1);
                int token = i;  // where the name being read began
                while (i < s.length() && s.charAt(i) != '>') {
                    char c = s.charAt(i);
                    if (c == '"' || c == '\'') {
                        attributes.putIfAbsent(name, line);
                        i = value(s, i);
                        token = i;
                        continue;
                    }
                    if (c == '=' || Character.isWhitespace(c)) {
                        if (token < i) {
                            name = s.substring(token, i);
                        }
                        token = i + 1;
                    }
                    i = copy(s, i, i + 1);
                }
            }
        }

        private int value(String s, int i) {
            char quote = s.charAt(i);
            xml.append(quote);
            int start = i;
            int startLine = line;
            int run = i + 1;  // the first character not yet copied
            for (i++; i < s.length() && s.charAt(i) != quote; i++) {
                if ((i - start + 1L) * 2 > Limits.VALUE_BYTES) {  // with the closing NUL it is stored with
                    oversizeLine = startLine;
                    return s.length();
                }
                char c = s.charAt(i);
                if (c == '\r' || c == '\n') {
                    xml.append(s, run, i).append("&#10;");
                    line++;
                    if (c == '\r' && i + 1 < s.length() && s.charAt(i + 1) == '\n') {
                        i++;
                    }
                    run = i + 1;
                } else if (c == '\t') {
                    xml.append(s, run, i).append("&#9;");
                    run = i + 1;
                }
            }
            xml.append(s, run, i);
            if (i < s.length()) {
                xml.append(quote);
                i++;
            }
            return i;
        }

        /** Copies s[from, to) and counts its line breaks; {@code to}. */
        private int copy(String s, int from, int to) {
            xml.append(s, from, to);
            for (int i = from; i < to; i++) {
                char c = s.charAt(i);
                if (c == '\n' || c == '\r' && (i + 1 == s.length() || s.charAt(i + 1) != '\n')) {
                    lineStarts.add(++line);
                }
            }
            return to;
        }

        int originalLine(int escapedLine) {
            return lineStarts.get(Math.max(0, Math.min(escapedLine, lineStarts.size()) - 1));
        }
    }

    private static final class Reader extends DefaultHandler {
        final String file;
        final Escaped escaped;
        final MetabaseKey root = MetabaseKey.empty("");
        final Map<String, MetabaseKey> keys = new HashMap<>();
        final Map<String, Integer> definedOn = new HashMap<>();
        Locator locator;
        int depth;
        int tag = -1;
        String location;
        MetabaseKey current;
        Set<Long> ids;

        Reader(String file, Escaped escaped) {
            this.file = file;
            this.escaped = escaped;
            keys.put("", root);
        }

        @Override
        public void setDocumentLocator(Locator locator) {
            this.locator = locator;
        }

        @Override
        public void startElement(String uri, String local, String element, Attributes attributes) throws SAXException {
            int line = escaped.tagLines.get(++tag);
            depth++;
            if (depth == 1 && element.equals("configuration") || depth == 2 && element.equals("MBProperty")) {
                return;
            }
            if (depth == 3) {
                startKey(element, attributes, line);
            } else if (depth == 4 && element.equals("Custom")) {
                if (current != null) {
                    custom(attributes, line);
                }
            } else {
                throw fail(line, "unexpected element <" + element + ">");
            }
        }

        @Override
        public void endElement(String uri, String local, String element) {
            if (--depth == 2) {
                current = null;
            }
        }

        @Override
        public void characters(char[] ch, int start, int length) throws SAXException {
            if (!new String(ch, start, length).isBlank()) {
                throw fail(escaped.originalLine(locator.getLineNumber()), "unexpected text between elements");
            }
        }

        private void startKey(String element, Attributes attributes, int line) throws SAXException {
            if (element.equals("IIS_Global")) {
                return;
            }
            location = attributes.getValue("Location");
            if (location == null || !location.startsWith("/")) {
                throw fail(line, "<" + element + "> needs a Location that is an absolute key path");
            }
            if (location.chars().filter(c -> c == '/').count() > Limits.KEY_DEPTH) {
                throw fail(line, Limits.keyDepthProblem("Location"));
            }
            Integer first = definedOn.putIfAbsent(normalized(location), line);
            if (first != null) {
                throw fail(line, "Location " + Json.quote(location) + " given twice (first on line " + first + ")");
            }
            current = node(location);
            ids = new HashSet<>();
            if (!element.equals("IIsConfigObject") && !element.equals("IIS_ROOT")) {
                add(line, MetabaseRecord.of(KEY_TYPE, 0, 1, 2, Map.entry("value", element)));
            }
            for (int i = 0; i < attributes.getLength(); i++) {
                String name = attributes.getQName(i);
                if (name.equals("Location")) {
                    continue;
                }
                int at = attributeLine(name, line);
                Property p = MetabaseSchema.byName(name);
                if (p == null) {
                    throw fail(at, "unknown property " + name + " (not in the property table; use <Custom>)");
                }
                add(at, parsed(at, p.name(), attributes.getValue(i), p, p.dataType(), p.userType(), p.attributes(), p.id()));
            }
        }

        private void custom(Attributes attributes, int line) throws SAXException {
            for (int i = 0; i < attributes.getLength(); i++) {
                if (!Set.of("Name", "ID", "Value", "Type", "UserType", "Attributes").contains(attributes.getQName(i))) {
                    throw fail(line, "unexpected attribute " + attributes.getQName(i) + " on <Custom>");
                }
            }
            Long id = number(attributes.getValue("ID"));
            int type = DATA_TYPES.indexOf(String.valueOf(attributes.getValue("Type")).toUpperCase(Locale.ROOT));
            Long userType = named(attributes.getValue("UserType"), USER_TYPES);
            Long flags = named(attributes.getValue("Attributes"), ATTRIBUTES);
            String what = "<Custom> " + (id == null ? "" : "#" + id + " ");
            if (id == null || type < 1 || userType == null || flags == null) {
                throw fail(line, what + "needs a numeric ID, a Type of DWORD, STRING, BINARY, EXPANDSZ or MULTISZ,"
                        + " and a UserType and Attributes by name or number");
            }
            String value = attributes.getValue("Value");
            add(line, parsed(line, what.trim(), value == null ? "" : value, null, type, userType, flags, id));
        }

        private int attributeLine(String name, int fallback) {
            return escaped.attributeLines.get(tag).getOrDefault(name, fallback);
        }

        private MetabaseRecord parsed(int line, String what, String text, Property p, int type, long userType,
                long flags, long id) throws SAXException {
            try {
                return MetabaseRecord.of(id, flags, userType, type, value(text, p, type, flags));
            } catch (IllegalArgumentException e) {
                throw fail(line, what + ": " + e.getMessage());
            }
        }

        private void add(int line, MetabaseRecord record) throws SAXException {
            if (!ids.add(record.id())) {
                throw fail(line, "property #" + record.id() + " given twice on " + location);
            }
            current.records().add(record);
        }

        private static String normalized(String path) {
            StringBuilder lower = new StringBuilder();
            for (String name : path.split("/")) {
                if (!name.isEmpty()) {
                    lower.append('/').append(Names.fold(name));
                }
            }
            return lower.toString();
        }

        /** The key at the path, with any parent the file leaves implicit. */
        private MetabaseKey node(String path) {
            MetabaseKey node = root;
            StringBuilder lower = new StringBuilder();
            for (String name : path.split("/")) {
                if (name.isEmpty()) {
                    continue;
                }
                lower.append('/').append(Names.fold(name));
                MetabaseKey parent = node;
                node = keys.computeIfAbsent(lower.toString(), k -> {
                    MetabaseKey child = MetabaseKey.empty(name);
                    parent.children().add(child);
                    return child;
                });
            }
            return node;
        }

        private SAXException fail(int line, String problem) {
            return new SAXException(new BadInput(file, line, problem));
        }
    }

    /** {@code {"value": v}} or {@code {"hex": h}} for an attribute's text; IllegalArgumentException says why not. */
    static Map.Entry<String, Object> value(String text, Property p, int type, long flags) {
        if ((flags & MetabaseSchema.SECURE) != 0 || type == 3) {
            byte[] bytes = ImageValues.unhex(text);
            if (bytes == null) {
                throw new IllegalArgumentException(
                        text.length() % 2 != 0 ? "odd-length hex" : "not hex: " + Json.quote(text));
            }
            return Map.entry("hex", ImageValues.hex(bytes));
        }
        if (type == 5) {
            // an empty entry is something a list cannot hold, so such text is kept as its bytes
            return ImageValues.metabaseForm(5, ImageValues.metabaseBytes(5, text.isEmpty() ? List.of() : entries(text)));
        }
        return Map.entry("value", type == 1 ? dword(text.trim(), p) : text);
    }

    private static long dword(String text, Property p) {
        Long n = number(text);
        if (n != null) {
            return n;
        }
        if (p != null && p.isBool() && (text.equalsIgnoreCase("TRUE") || text.equalsIgnoreCase("FALSE"))) {
            return text.equalsIgnoreCase("TRUE") ? 1 : 0;
        }
        if (p == null || p.flags().isEmpty()) {
            throw new IllegalArgumentException(
                    Json.quote(text) + " is not a DWORD" + (p != null && p.isBool() ? " nor TRUE or FALSE" : ""));
        }
        long value = 0;
        for (String piece : text.split("\\|", -1)) {
            Long bit = lookup(p.flags(), piece.trim());
            if (bit == null) {
                throw new IllegalArgumentException("unknown flag " + Json.quote(piece.trim()));
            }
            value |= bit;
        }
        return value;
    }

    /** One entry a line; the tabs that indent continuation lines are not part of the entries. */
    private static List<String> entries(String text) {
        // no regular expression per line: a server's lists run to tens of thousands of lines
        String[] lines = LINE_BREAK.split(text, -1);
        List<String> entries = new ArrayList<>(lines.length);
        for (int i = 0; i < lines.length; i++) {
            int indent = 0;
            while (i > 0 && indent < lines[i].length() && lines[i].charAt(indent) == '\t') {
                indent++;
            }
            entries.add(lines[i].substring(indent));
        }
        return entries;
    }

    private static Long number(String text) {
        if (text == null || !DECIMAL.matcher(text).matches()) {
            return null;
        }
        long n = Long.parseLong(text);
        return n <= 0xFFFFFFFFL ? n : null;
    }

    /** NO_ATTRIBUTES, names joined by "|", or a number. */
    private static Long named(String text, Map<String, Long> names) {
        if (text == null) {
            return null;
        }
        Long n = number(text.trim());
        if (n != null || text.trim().equals("NO_ATTRIBUTES")) {
            return n == null ? 0L : n;
        }
        long value = 0;
        for (String piece : text.split("\\|", -1)) {
            Long bit = lookup(names, piece.trim());
            if (bit == null) {
                return null;
            }
            value |= bit;
        }
        return value;
    }

    private static Long lookup(Map<String, Long> names, String name) {
        for (Map.Entry<String, Long> e : names.entrySet()) {
            if (e.getKey().equalsIgnoreCase(name)) {
                return e.getValue();
            }
        }
        return null;
    }

    /** The file for a metabase tree; BadInput names the first record the format cannot hold. */
    public static String write(MetabaseKey root, String file) throws BadInput {
        StringBuilder out = new StringBuilder("<?xml version =\"1.0\"?>" + NL
                + "<configuration xmlns=\"urn:microsoft-catalog:XML_Metabase_V64_0\">" + NL
                + "<MBProperty>" + NL + "<IIS_Global\tLocation =\".\"" + NL + "\t>" + NL + "</IIS_Global>" + NL);
        writeKey(root, "", new Writer(file), out);
        return out.append("</MBProperty>").append(NL).append("</configuration>").append(NL).toString();
    }

    private record Writer(String file) {
        BadInput fail(String path, Object id, String problem) {
            return new BadInput(file, 0, "metabase " + path + (id == null ? "" : " record #" + id) + ": " + problem);
        }
    }

    private static void writeKey(MetabaseKey key, String path, Writer w, StringBuilder out) throws BadInput {
        String location = path.isEmpty() ? "/" : path;
        List<MetabaseRecord> records = key.records() == null ? List.of() : key.records();
        if (records.contains(null)) {
            throw w.fail(location, null, "a record that is null");
        }
        String element = path.isEmpty() ? "IIS_ROOT" : "IIsConfigObject";
        int skip = -1;
        if (!records.isEmpty() && isPlainKeyType(records.get(0))) {
            element = (String) records.get(0).value();
            skip = 0;
        }
        out.append('<').append(element).append("\tLocation =\"").append(escape(location, w, location, null))
                .append('"').append(NL);
        List<MetabaseRecord> custom = new ArrayList<>();
        for (int i = 0; i < records.size(); i++) {
            MetabaseRecord r = records.get(i);
            Property p = MetabaseSchema.byId(num(r, r.id(), "id", w, location));
            if (i == skip) {
                continue;
            }
            if (p != null && p.dataType() == num(r, r.dataType(), "dataType", w, location)
                    && p.userType() == num(r, r.userType(), "userType", w, location)
                    && p.attributes() == num(r, r.attributes(), "attributes", w, location)) {
                out.append("\t\t").append(p.name()).append("=\"").append(format(r, p, w, location)).append('"').append(NL);
            } else {
                custom.add(r);
            }
        }
        out.append("\t>").append(NL);
        for (MetabaseRecord r : custom) {
            long id = num(r, r.id(), "id", w, location);
            long type = num(r, r.dataType(), "dataType", w, location);
            if (type < 1 || type >= DATA_TYPES.size()) {
                throw w.fail(location, id, "data type " + type + " is not one MetaBase.xml holds");
            }
            Property p = MetabaseSchema.byId(id);
            out.append("\t<Custom\tName=\"").append(p == null ? "UnknownName_" + id : p.name()).append('"').append(NL)
                    .append("\t\tID=\"").append(id).append('"').append(NL)
                    .append("\t\tValue=\"").append(format(r, null, w, location)).append('"').append(NL)
                    .append("\t\tType=\"").append(DATA_TYPES.get((int) type)).append('"').append(NL)
                    .append("\t\tUserType=\"").append(userTypeName(num(r, r.userType(), "userType", w, location))).append('"').append(NL)
                    .append("\t\tAttributes=\"").append(attributeNames(num(r, r.attributes(), "attributes", w, location)))
                    .append('"').append(NL).append("\t/>").append(NL);
        }
        out.append("</").append(element).append('>').append(NL);
        for (MetabaseKey child : key.children() == null ? List.<MetabaseKey>of() : key.children()) {
            if (child == null || child.name() == null || child.name().isEmpty() || child.name().contains("/")) {
                throw w.fail(location, null, "a child key without a usable name");
            }
            writeKey(child, path + "/" + child.name(), w, out);
        }
    }

    private static boolean isPlainKeyType(MetabaseRecord r) {
        return Long.valueOf(KEY_TYPE).equals(r.id()) && Long.valueOf(0).equals(r.attributes())
                && Long.valueOf(1).equals(r.userType()) && Long.valueOf(2).equals(r.dataType()) && r.hex() == null
                && r.value() instanceof String type && ELEMENT_NAME.matcher(type).matches() && !RESERVED.contains(type);
    }

    /** A record's value as the attribute text; a secure or binary one as hex. */
    private static String format(MetabaseRecord r, Property p, Writer w, String path) throws BadInput {
        Object id = r.id();
        long type = num(r, r.dataType(), "dataType", w, path);
        byte[] raw = null;
        if (r.hex() != null) {
            raw = ImageValues.unhex(r.hex());
            if (raw == null) {
                throw w.fail(path, id, "hex is not hex of whole bytes");
            }
        }
        Object value = r.value();
        if ((num(r, r.attributes(), "attributes", w, path) & MetabaseSchema.SECURE) != 0 || type == 3) {
            byte[] bytes = raw != null ? raw : ImageValues.bytes(value);
            if (bytes == null) {
                throw w.fail(path, id, "no bytes");
            }
            return ImageValues.hex(bytes);
        }
        if (raw != null) {
            Map.Entry<String, Object> form = ImageValues.metabaseForm(type, raw);
            value = form.getKey().equals("value") ? form.getValue() : null;
        }
        if (type == 1 && value instanceof Long n && n >= 0 && n <= 0xFFFFFFFFL) {
            return p == null ? n.toString() : p.isBool() && n <= 1 ? (n == 1 ? "TRUE" : "FALSE") : flagNames(n, p);
        }
        if ((type == 2 || type == 4) && value instanceof String s) {
            return escape(s, w, path, id);
        }
        if (type == 5 && value instanceof List<?> entries && !entries.equals(List.of(""))) {
            StringJoiner text = new StringJoiner(NL + "\t\t\t");
            for (int i = 0; i < entries.size(); i++) {
                if (!(entries.get(i) instanceof String entry) || entry.indexOf('\r') >= 0 || entry.indexOf('\n') >= 0
                        || i > 0 && entry.startsWith("\t")) {
                    throw w.fail(path, id, "entry " + (i + 1) + " cannot be written one entry a line");
                }
                text.add(escape(entry, w, path, id));
            }
            return text.toString();
        }
        throw w.fail(path, id, "the data is not well formed for data type " + type + ", which MetaBase.xml cannot hold");
    }

    private static String flagNames(long value, Property p) {
        StringJoiner names = new StringJoiner(" | ");
        long covered = 0;
        for (Map.Entry<String, Long> flag : p.flags().entrySet()) {
            if ((value & flag.getValue()) != 0) {
                names.add(flag.getKey());
                covered |= flag.getValue();
            }
        }
        return value != 0 && covered == value ? names.toString() : Long.toString(value);
    }

    private static String userTypeName(long value) {
        return USER_TYPES.entrySet().stream().filter(e -> e.getValue() == value).map(Map.Entry::getKey)
                .findFirst().orElse(Long.toString(value));
    }

    private static String attributeNames(long value) {
        StringJoiner out = new StringJoiner(" | ");
        long covered = 0;
        for (Map.Entry<String, Long> bit : ATTRIBUTES.entrySet()) {
            if ((value & bit.getValue()) != 0) {
                out.add(bit.getKey());
                covered |= bit.getValue();
            }
        }
        return value == 0 ? "NO_ATTRIBUTES" : covered == value ? out.toString() : Long.toString(value);
    }

    private static String escape(String s, Writer w, String path, Object id) throws BadInput {
        StringBuilder out = new StringBuilder(s.length());
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            switch (c) {
                case '&' -> out.append("&amp;");
                case '<' -> out.append("&lt;");
                case '>' -> out.append("&gt;");
                case '"' -> out.append("&quot;");
                case '\t' -> out.append("&#9;");
                case '\n' -> out.append("&#10;");
                case '\r' -> out.append("&#13;");
                default -> {
                    if (c < 0x20) {
                        throw w.fail(path, id, String.format("U+%04X cannot be written in XML", (int) c));
                    }
                    out.append(c);
                }
            }
        }
        return out.toString();
    }

    private static long num(MetabaseRecord r, Long value, String field, Writer w, String path) throws BadInput {
        if (value == null) {
            throw w.fail(path, r.id(), field + " is not an integer");
        }
        return value;
    }

    private static Map<String, Long> ordered(Object... pairs) {
        Map<String, Long> map = new LinkedHashMap<>();
        for (int i = 0; i < pairs.length; i += 2) {
            map.put((String) pairs[i], ((Integer) pairs[i + 1]).longValue());
        }
        return map;
    }
}
