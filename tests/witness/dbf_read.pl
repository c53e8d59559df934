#!/usr/bin/perl
# Prints every record of a table as the Perl XBase module reads it, in the form
# of dbf_read.py: number, '*' or '-', then the values, tab-separated.
use strict;
use warnings;
use XBase;
use Encode qw(decode encode);

my $table = XBase->new(name => $ARGV[0], ignorebadheader => 0) or die XBase->errstr;
my @names = $table->field_names;
my @types = $table->field_types;
binmode STDOUT;
for my $i (0 .. $table->last_record) {
    my ($deleted, @values) = $table->get_record($i) or die $table->errstr;
    my @out;
    for my $k (0 .. $#values) {
        my $v = $values[$k];
        if (!defined $v) { $v = ''; }
        elsif ($types[$k] eq 'L') { $v = $v ? 'T' : 'F'; }
        elsif ($types[$k] eq 'N') { $v = 0 + $v; }
        else { $v =~ s/ +$//; $v = encode('UTF-8', decode('cp1252', $v)); }
        $v =~ s/\\/\\\\/g; $v =~ s/\t/\\t/g; $v =~ s/\r/\\r/g; $v =~ s/\n/\\n/g;
        push @out, $v;
    }
    print join("\t", $i + 1, $deleted ? '*' : '-', @out), "\n";
}
