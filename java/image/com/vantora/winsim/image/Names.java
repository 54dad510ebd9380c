package com.vantora.winsim.image;

/**
 * Key and value names as Windows compares them: each UTF-16 code unit after its simple upper-case
 * mapping, with no locale, so "é" and "É" are one name and the Kelvin sign and "k" are two.
 */
public final class Names {
    private Names() {
    }

    /** The name as compared; two names are one when their folds are equal. */
    public static String fold(String name) {
        char[] units = name.toCharArray();
        for (int i = 0; i < units.length; i++) {
            units[i] = Character.toUpperCase(units[i]);
        }
        return new String(units);
    }

    public static boolean same(String a, String b) {
        if (a.length() != b.length()) {
            return false;
        }
        for (int i = 0; i < a.length(); i++) {
            if (Character.toUpperCase(a.charAt(i)) != Character.toUpperCase(b.charAt(i))) {
                return false;
            }
        }
        return true;
    }
}
