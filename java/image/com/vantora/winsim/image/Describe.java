package com.vantora.winsim.image;

import java.math.BigDecimal;
import java.util.List;
import java.util.Map;
import java.util.StringJoiner;

/** How values from a host image read to a person. */
public final class Describe {
    private static final Map<String, String> HIVES = Map.of(
            "HKEY_LOCAL_MACHINE", "HKLM", "HKEY_CURRENT_USER", "HKCU",
            "HKEY_CLASSES_ROOT", "HKCR", "HKEY_USERS", "HKU");

    private Describe() {
    }

    /** A parsed JSON value: text quoted, lists as [a, b], numbers plainly (1.0 reads as 1). */
    public static String value(Object v) {
        if (v instanceof String s) {
            return Json.quote(s);
        }
        if (v instanceof Double d && !d.isNaN() && !d.isInfinite()) {
            return new BigDecimal(d.toString()).stripTrailingZeros().toPlainString();
        }
        if (v instanceof List<?> list) {
            StringJoiner out = new StringJoiner(", ", "[", "]");
            list.forEach(item -> out.add(value(item)));
            return out.toString();
        }
        if (v == null || v instanceof Long || v instanceof Boolean) {
            return String.valueOf(v);
        }
        return Json.write(v);
    }

    /** A status as stored; HRESULTs are negative in images and read better in hex. */
    public static String status(Object v) {
        if (v instanceof Long n && n < 0 && n >= Integer.MIN_VALUE) {
            return n + String.format(" (0x%08X)", n.intValue());
        }
        return value(v);
    }

    public static String serviceState(Object v) {
        String[] names = {"stopped", "start pending", "stop pending", "running",
                "continue pending", "pause pending", "paused"};
        if (v instanceof Long n && n >= 1 && n <= names.length) {
            return names[n.intValue() - 1] + " (" + n + ")";
        }
        return "state " + value(v);
    }

    public static String registryType(Object v) {
        if (v instanceof Long n && n >= 0 && n <= 11) {
            switch (n.intValue()) {
                case 0: return "REG_NONE";
                case 1: return "REG_SZ";
                case 2: return "REG_EXPAND_SZ";
                case 3: return "REG_BINARY";
                case 4: return "REG_DWORD";
                case 7: return "REG_MULTI_SZ";
                case 11: return "REG_QWORD";
                default: break;
            }
        }
        return "type " + value(v);
    }

    public static String hive(String name) {
        return HIVES.getOrDefault(name, name);
    }
}
